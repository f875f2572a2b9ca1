// A reader object held by a record-tree node and shared with the nodes below it. Typed and nullable: a view
// asks for the type it needs and gets nothing when the node holds no reader or one of another type.
#pragma once

#include <memory>
#include <string>
#include <typeinfo>

class HeldReader {
public:
    HeldReader() = default;
    template <typename T>
    HeldReader(std::shared_ptr<T> reader) // NOLINT: implicit on purpose, a held reader is any shared reader
        : object_(reader), type_(reader ? &typeid(T) : nullptr) {}

    explicit operator bool() const { return object_ != nullptr; }
    // The reader when it is a T, else nullptr.
    template <typename T> T* As() const {
        return type_ && *type_ == typeid(T) ? static_cast<T*>(object_.get()) : nullptr;
    }
    template <typename T> std::shared_ptr<T> Shared() const {
        return type_ && *type_ == typeid(T) ? std::static_pointer_cast<T>(object_) : nullptr;
    }
    // How many holders share the reader (tests check ownership with it).
    long UseCount() const { return object_.use_count(); }
    // The reader's class name ("TLN_KiwiMap"); "" when the node holds none (tree dumps print it).
    std::string TypeName() const;

private:
    std::shared_ptr<void> object_;
    const std::type_info* type_ = nullptr;
};

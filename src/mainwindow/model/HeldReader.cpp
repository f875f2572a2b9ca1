// Held readers: the readable class name of what a node holds.
#include "mainwindow/model/HeldReader.h"

#include <cstdlib>

#include <cxxabi.h>

std::string HeldReader::TypeName() const {
    if (!type_) return {};
    int status = 0;
    char* readable = abi::__cxa_demangle(type_->name(), nullptr, nullptr, &status);
    std::string name = status == 0 && readable ? readable : type_->name();
    std::free(readable);
    return name;
}

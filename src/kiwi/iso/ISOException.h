// Exceptions of the ISO 9660 image reader; messages are the texts the user sees.
#pragma once

#include "kiwi/core/KiwiErrors.h"

class EISOLibException : public KiwiError {
public:
    using KiwiError::KiwiError;
};
class EISOLibImageException : public EISOLibException {
public:
    using EISOLibException::EISOLibException;
};
class EISOLibContainerException : public EISOLibException {
public:
    using EISOLibException::EISOLibException;
};
class EISOImageHandlerException : public EISOLibException {
public:
    using EISOLibException::EISOLibException;
};
class EVolumeDescriptorException : public KiwiError {
public:
    using KiwiError::KiwiError;
};
class EVDWrongDescriptorType : public EVolumeDescriptorException {
public:
    using EVolumeDescriptorException::EVolumeDescriptorException;
};

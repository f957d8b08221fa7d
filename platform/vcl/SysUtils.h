#pragma once

#include "VclExport.h"

#include <QString>
#include <exception>

namespace vcl {

using String = QString;

// Base of every error the class library raises; the message names what failed.
class VCL_EXPORT Exception : public std::exception {
public:
    explicit Exception(String message);
    ~Exception() override;
    const String& Message() const { return FMessage; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    String FMessage;
    QByteArray FUtf8;
};

#define VCL_DECLARE_EXCEPTION(Name, Base)                                                          \
    class VCL_EXPORT Name : public Base {                                                          \
    public:                                                                                        \
        using Base::Base;                                                                          \
    };

VCL_DECLARE_EXCEPTION(EConvertError, Exception)
VCL_DECLARE_EXCEPTION(EComponentError, Exception)
VCL_DECLARE_EXCEPTION(EClassNotFound, Exception)
VCL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
VCL_DECLARE_EXCEPTION(EResNotFound, Exception)
VCL_DECLARE_EXCEPTION(EStreamError, Exception)
VCL_DECLARE_EXCEPTION(EReadError, EStreamError)
VCL_DECLARE_EXCEPTION(EWriteError, EStreamError)

} // namespace vcl

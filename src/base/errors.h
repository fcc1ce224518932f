// The errors the core raises. Messages are UTF-8 and are shown to the user as they stand.
#pragma once

#include <stdexcept>
#include <string>

namespace zenta {

// Every failure of the core is one of these; a handler that catches Error catches them all.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value that cannot be read the way it is asked for (a Null as text, a word as a number).
class ConversionError : public Error {
public:
    ConversionError() : Error("无效的变量类型转换") {}
};

// The engine refused a statement or a file; the text is the engine's own message.
class DatabaseError : public Error {
public:
    using Error::Error;
};

// Long work stopped by the user's cancel flag before it was complete.
class CancelledError : public Error {
public:
    CancelledError() : Error("cancelled") {}
};

// A column asked for by a name the result does not have.
class FieldNotFoundError : public Error {
public:
    explicit FieldNotFoundError(const std::string& name) : Error("未发现字段 '" + name + "'") {}
};

}  // namespace zenta

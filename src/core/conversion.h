#pragma once

#include <QString>
#include <stdexcept>

namespace nesmo {

// The error raised when a field's text cannot be read as a number. It stops the
// operation in progress and is shown in the standard error box.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Stops the operation in progress, and the operations that called it, without a
// word to the operator (a flow rate that cannot be read while it is being typed).
class OperationAborted : public std::exception {
public:
    const char* what() const noexcept override { return "operation aborted"; }
};

// Reads a whole decimal integer (blanks around it allowed); throws ConversionError.
int strToInt(const QString& text);
// The same, or the default when the text is no integer.
int strToIntDef(const QString& text, int defaultValue);
// Reads a real number with the locale's decimal separator; throws ConversionError.
double strToFloat(const QString& text);

}  // namespace nesmo

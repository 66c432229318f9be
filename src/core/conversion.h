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

// Reads a whole decimal integer (blanks around it allowed); throws ConversionError.
int strToInt(const QString& text);

}  // namespace nesmo

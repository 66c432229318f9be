#include "link/command_format.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>

namespace nesmo {

namespace {

// The "C" locale for this thread while a command is formatted.
class CLocaleScope {
public:
    CLocaleScope()
    {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        previous_ = uselocale(c);
    }
    ~CLocaleScope() { uselocale(previous_); }

private:
    locale_t previous_;
};

}  // namespace

QByteArray formatCommand(const char* format, ...)
{
    CLocaleScope scope;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    QByteArray out(size > 0 ? size : 0, '\0');
    if (size > 0) std::vsnprintf(out.data(), size_t(size) + 1, format, again);
    va_end(again);
    return out;
}

}  // namespace nesmo

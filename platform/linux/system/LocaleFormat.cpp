#include "LocaleFormat.h"

#include <langinfo.h>
#include <locale.h> // NOLINT(modernize-deprecated-headers): newlocale and uselocale are POSIX, only here

namespace vespern {

namespace {

// RAII for a locale object made from the environment; falls back to "C".
class EnvironmentLocale {
public:
    EnvironmentLocale()
        : locale_(newlocale(LC_ALL_MASK, "", nullptr))
    {
        if (locale_ == nullptr)
            locale_ = newlocale(LC_ALL_MASK, "C", nullptr);
    }
    ~EnvironmentLocale()
    {
        if (locale_ != nullptr)
            freelocale(locale_);
    }
    EnvironmentLocale(const EnvironmentLocale&) = delete;
    EnvironmentLocale& operator=(const EnvironmentLocale&) = delete;

    std::string info(nl_item item) const { return locale_ ? nl_langinfo_l(item, locale_) : ""; }

private:
    locale_t locale_;
};

} // namespace

std::string UserLocaleTimeFormat()
{
    const std::string format = EnvironmentLocale().info(T_FMT);
    return format.empty() ? "%H:%M:%S" : format;
}

std::string UserLocaleDecimalSeparator()
{
    const std::string separator = EnvironmentLocale().info(RADIXCHAR);
    return separator.empty() ? "." : separator;
}

std::string TimePictureFromStrftime(const std::string& format)
{
    std::string picture;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            picture += format[i];
            continue;
        }
        char conversion = format[++i];
        // Flags and the E/O modifiers do not change which field is shown.
        while ((conversion == 'E' || conversion == 'O' || conversion == '-' || conversion == '_' || conversion == '0')
            && i + 1 < format.size())
            conversion = format[++i];
        switch (conversion) {
        case 'H':
            picture += "HH";
            break;
        case 'k':
            picture += "H";
            break;
        case 'I':
            picture += "hh";
            break;
        case 'l':
            picture += "h";
            break;
        case 'M':
            picture += "mm";
            break;
        case 'S':
            picture += "ss";
            break;
        case 'p':
        case 'P':
            picture += "tt";
            break;
        case 'T':
            picture += "HH:mm:ss";
            break;
        case 'R':
            picture += "HH:mm";
            break;
        case 'r':
            picture += "hh:mm:ss tt";
            break;
        case '%':
            picture += '%';
            break;
        default:
            break;
        }
    }
    return picture.empty() ? "HH:mm:ss" : picture;
}

} // namespace vespern

#ifndef ROTAVIS_CNUMERICLOCALE_H
#define ROTAVIS_CNUMERICLOCALE_H

#include <clocale>
#include <locale.h>

// pugixml reads floating-point attributes with strtod, which follows the C library's
// numeric locale: under a locale with a decimal comma "25.5" would read as 25. The
// installation file always uses a dot, so whatever reads it runs with the "C" numeric
// conventions on its thread while this lives, whatever the process locale is.
class CNumericLocaleScope
{
public:
    CNumericLocaleScope()
        : cLocale(newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr))),
          previous(cLocale ? uselocale(cLocale) : static_cast<locale_t>(nullptr))
    {
    }
    ~CNumericLocaleScope()
    {
        if (cLocale) {
            uselocale(previous);
            freelocale(cLocale);
        }
    }
    CNumericLocaleScope(const CNumericLocaleScope&) = delete;
    CNumericLocaleScope& operator=(const CNumericLocaleScope&) = delete;

private:
    locale_t cLocale;
    locale_t previous;
};

#endif

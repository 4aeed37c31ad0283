// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SystemLanguage.h"

#include <cstdlib>
#include <string>

namespace quillet::platform {

namespace {

struct Primary
{
    std::string_view code; // ISO 639
    unsigned id;
};

constexpr Primary kPrimaries[] = {
    {"ar", 1},  {"bg", 2},   {"ca", 3},  {"zh", 4},  {"cs", 5},  {"da", 6},  {"de", 7},  {"el", 8},
    {"en", 9},  {"es", 10},  {"fi", 11}, {"fr", 12}, {"he", 13}, {"iw", 13}, {"hu", 14}, {"is", 15},
    {"it", 16}, {"ja", 17},  {"ko", 18}, {"nl", 19}, {"no", 20}, {"nb", 20}, {"nn", 20}, {"pl", 21},
    {"pt", 22}, {"ro", 24},  {"ru", 25}, {"hr", 26}, {"sr", 26}, {"bs", 26}, {"sk", 27}, {"sq", 28},
    {"sv", 29}, {"th", 30},  {"tr", 31}, {"ur", 32}, {"id", 33}, {"uk", 34}, {"be", 35}, {"sl", 36},
    {"et", 37}, {"lv", 38},  {"lt", 39}, {"fa", 41}, {"vi", 42}, {"hy", 43}, {"az", 44}, {"eu", 45},
    {"mk", 47}, {"af", 54},  {"ka", 55}, {"fo", 56}, {"hi", 57}, {"ms", 62}, {"kk", 63}, {"sw", 65},
    {"uz", 67}, {"tt", 68},  {"pa", 70}, {"gu", 71}, {"ta", 73}, {"te", 74}, {"kn", 75}, {"mr", 78},
    {"sa", 79}, {"kok", 87},
};

struct Region
{
    std::string_view language;
    std::string_view region; // ISO 3166 region, or "@script" for a script variant
    unsigned sub;
};

constexpr Region kRegions[] = {
    {"ar", "SA", 1},        {"ar", "IQ", 2},  {"ar", "EG", 3},     {"ar", "LY", 4},
    {"ar", "DZ", 5},        {"ar", "MA", 6},  {"ar", "TN", 7},     {"ar", "OM", 8},
    {"ar", "YE", 9},        {"ar", "SY", 10}, {"ar", "JO", 11},    {"ar", "LB", 12},
    {"ar", "KW", 13},       {"ar", "AE", 14}, {"ar", "BH", 15},    {"ar", "QA", 16},
    {"az", "@cyrillic", 2}, {"zh", "TW", 1},  {"zh", "CN", 2},     {"zh", "HK", 3},
    {"zh", "SG", 4},        {"zh", "MO", 5},  {"nl", "NL", 1},     {"nl", "BE", 2},
    {"en", "US", 1},        {"en", "GB", 2},  {"en", "AU", 3},     {"en", "CA", 4},
    {"en", "NZ", 5},        {"en", "IE", 6},  {"en", "ZA", 7},     {"en", "JM", 8},
    {"en", "BZ", 10},       {"en", "TT", 11}, {"en", "ZW", 12},    {"en", "PH", 13},
    {"fr", "FR", 1},        {"fr", "BE", 2},  {"fr", "CA", 3},     {"fr", "CH", 4},
    {"fr", "LU", 5},        {"fr", "MC", 6},  {"de", "DE", 1},     {"de", "CH", 2},
    {"de", "AT", 3},        {"de", "LU", 4},  {"de", "LI", 5},     {"it", "IT", 1},
    {"it", "CH", 2},        {"ko", "KR", 1},  {"lt", "LT", 1},     {"ms", "MY", 1},
    {"ms", "BN", 2},        {"nb", "NO", 1},  {"no", "NO", 1},     {"nn", "NO", 2},
    {"pt", "BR", 1},        {"pt", "PT", 2},  {"sr", "@latin", 2}, {"sr", "RS", 3},
    {"sr", "ME", 3},        {"es", "ES", 3},  {"es", "MX", 2},     {"es", "GT", 4},
    {"es", "CR", 5},        {"es", "PA", 6},  {"es", "DO", 7},     {"es", "VE", 8},
    {"es", "CO", 9},        {"es", "PE", 10}, {"es", "AR", 11},    {"es", "EC", 12},
    {"es", "CL", 13},       {"es", "UY", 14}, {"es", "PY", 15},    {"es", "BO", 16},
    {"es", "SV", 17},       {"es", "HN", 18}, {"es", "NI", 19},    {"es", "PR", 20},
    {"sv", "SE", 1},        {"sv", "FI", 2},  {"ur", "PK", 1},     {"ur", "IN", 2},
    {"uz", "@cyrillic", 2},
};

} // namespace

unsigned LanguageIdFromLocale(std::string_view locale)
{
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
        return MakeLanguageId(9, 1);

    // language[_REGION][.codeset][@modifier]
    std::string_view modifier;
    if (auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at);
        locale = locale.substr(0, at);
    }
    if (auto dot = locale.find('.'); dot != std::string_view::npos)
        locale = locale.substr(0, dot);
    std::string_view language = locale;
    std::string_view region;
    if (auto us = locale.find_first_of("_-"); us != std::string_view::npos) {
        language = locale.substr(0, us);
        region = locale.substr(us + 1);
    }

    unsigned primary = 0;
    for (const auto &p : kPrimaries)
        if (p.code == language)
            primary = p.id;
    if (primary == 0)
        return 0;

    // A script variant decides before the region (sr_RS@latin is Serbian in Latin script).
    for (const auto &r : kRegions)
        if (r.language == language && !modifier.empty() && r.region == modifier)
            return MakeLanguageId(primary, r.sub);
    for (const auto &r : kRegions)
        if (r.language == language && r.region == region)
            return MakeLanguageId(primary, r.sub);
    return MakeLanguageId(primary, 1);
}

unsigned SystemLanguageId()
{
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (!value || !*value)
            continue;
        std::string text(value);
        // LANGUAGE is a priority list: the first entry decides.
        if (auto colon = text.find(':'); colon != std::string::npos)
            text = text.substr(0, colon);
        if (!text.empty())
            return LanguageIdFromLocale(text);
    }
    return LanguageIdFromLocale("C");
}

} // namespace quillet::platform

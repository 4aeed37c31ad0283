// SPDX-License-Identifier: GPL-3.0-or-later
#include "LanguageCodes.h"

#include <utility>

namespace mkvextract {

namespace {

// The ISO 639-2 codes, bibliographic ones where there are two, in order, three letters each.
constexpr std::string_view kBibliographicCodes
    = "aarabkaceachadaadyafaafhafrainakaakkalbalealgaltamhanganpapaaraarcargarmarnarpartarwasmastat"
      "h"
      "ausavaaveawaaymazebadbaibakbalbambanbaqbasbatbejbelbembenberbhobihbikbinbisblabntbosbrabrebt"
      "k"
      "buabugbulburbyncadcaicarcatcaucebcelchachbchechgchichkchmchnchochpchrchuchvchycmccnrcopcorco"
      "s"
      "cpecpfcppcrecrhcrpcsbcusczedakdandardaydeldendgrdindivdoidradsbduadumdutdyudzoefiegyekaelxen"
      "g"
      "enmepoesteweewofanfaofatfijfilfinfiufonfrefrmfrofrrfrsfryfulfurgaagaygbagemgeogergezgilglagl"
      "e"
      "glgglvgmhgohgongorgotgrbgrcgregrngswgujgwihaihathauhawhebherhilhimhinhithmnhmohrvhsbhunhupib"
      "a"
      "iboiceidoiiiijoikuileiloinaincindineinhipkirairoitajavjbojpnjprjrbkaakabkackalkamkankarkaska"
      "u"
      "kawkazkbdkhakhikhmkhokikkinkirkmbkokkomkonkorkoskpekrckrlkrokrukuakumkurkutladlahlamlaolatla"
      "v"
      "lezlimlinlitlollozltzlualublugluilunluolusmacmadmagmahmaimakmalmanmaomapmarmasmaymdfmdrmenmg"
      "a"
      "micminmismkhmlgmltmncmnimnomohmonmosmulmunmusmwlmwrmynmyvnahnainapnaunavnblndendondsnepnewni"
      "a"
      "nicniunnonobnognonnornqonsonubnwcnyanymnynnyonziociojioriormosaossotaotopaapagpalpampanpappa"
      "u"
      "peoperphiphnplipolponporprapropusquerajraprarroarohromrumrunruprussadsagsahsaisalsamsansassa"
      "t"
      "scnscoselsemsgasgnshnsidsinsiositslasloslvsmasmesmismjsmnsmosmssnasndsnksogsomsonsotspasrdsr"
      "n"
      "srpsrrssasswsuksunsussuxswaswesycsyrtahtaitamtatteltemtertettgktglthatibtigtirtivtkltlhtlitm"
      "h"
      "togtontpitsitsntsotuktumtupturtuttvltwityvudmugauigukrumbundurduzbvaivenvievolvotwakwalwarwa"
      "s"
      "welwenwlnwolxalxhoyaoyapyidyorypkzapzblzenzghzhazndzulzunzxxzza";

// The terminology codes and the bibliographic codes mkvmerge reports for them.
constexpr std::pair<std::string_view, std::string_view> kTerminologyCodes[] = {
    {"bod", "tib"}, {"ces", "cze"}, {"cym", "wel"}, {"deu", "ger"}, {"ell", "gre"},
    {"eus", "baq"}, {"fas", "per"}, {"fra", "fre"}, {"hye", "arm"}, {"isl", "ice"},
    {"kat", "geo"}, {"mkd", "mac"}, {"mri", "mao"}, {"msa", "may"}, {"mya", "bur"},
    {"nld", "dut"}, {"ron", "rum"}, {"slk", "slo"}, {"sqi", "alb"}, {"zho", "chi"},
};

} // namespace

std::optional<std::string> ReportedLanguage(std::string_view language_element)
{
    // mkvmerge reads the text up to its first NUL byte.
    const std::string_view code = language_element.substr(0, language_element.find('\0'));
    if (code.empty())
        return std::string("und");
    if (code.size() != 3)
        return std::nullopt;
    for (const auto &[terminology, bibliographic] : kTerminologyCodes) {
        if (code == terminology)
            return std::string(bibliographic);
    }
    // Binary search over the three-letter entries.
    std::size_t low = 0, high = kBibliographicCodes.size() / 3;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        const std::string_view entry = kBibliographicCodes.substr(middle * 3, 3);
        if (entry == code)
            return std::string(code);
        if (entry < code)
            low = middle + 1;
        else
            high = middle;
    }
    return std::nullopt;
}

std::vector<std::string_view> KnownLanguageCodes()
{
    std::vector<std::string_view> codes;
    for (std::size_t at = 0; at < kBibliographicCodes.size(); at += 3)
        codes.push_back(kBibliographicCodes.substr(at, 3));
    for (const auto &pair : kTerminologyCodes)
        codes.push_back(pair.first);
    return codes;
}

} // namespace mkvextract

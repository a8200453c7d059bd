#include "platform/canvas/Fonts.h"

#include "platform/canvas/BarcodeFonts.h"
#include "platform/text/Encoding.h"

#include <fontconfig/fontconfig.h>

#include <QString>

#include <algorithm>
#include <atomic>
#include <memory>

namespace qorprt {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct ObjectSetDeleter {
    void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;
using ObjectSetPtr = std::unique_ptr<FcObjectSet, ObjectSetDeleter>;
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDeleter>;

// The Windows fonts the program asks for and the families that stand in for them with the same
// advance widths.
struct Twins {
    const char* windowsName;
    std::vector<std::string_view> families;
};

const std::vector<Twins>& MetricTwins() {
    static const std::vector<Twins> twins = {
        {"Arial", {"Liberation Sans", "Arimo", "Albany AMT"}},
        {"Arial Narrow", {"Liberation Sans Narrow", "Nimbus Sans Narrow"}},
        {"Courier New", {"Liberation Mono", "Cousine", "Cumberland AMT"}},
        {"Courier", {"Nimbus Mono PS", "Nimbus Mono L", "Nimbus Mono"}},
    };
    return twins;
}

bool SameName(std::string_view a, std::string_view b) {
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                        Qt::CaseInsensitive) == 0;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) < 0;
}

std::vector<std::string> FontconfigFamilies() {
    std::vector<std::string> families;
    if (!FcInit()) return families;
    PatternPtr pattern(FcPatternCreate());
    ObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, nullptr));
    if (!pattern || !objects) return families;
    FontSetPtr fonts(FcFontList(nullptr, pattern.get(), objects.get()));
    if (!fonts) return families;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* family = nullptr;
        // A font may carry its family name in several languages; each is a name Windows lists.
        for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch;
             ++n)
            families.emplace_back(reinterpret_cast<const char*>(family));
    }
    return families;
}

std::vector<std::string> ReadInstalledFonts() {
    std::vector<std::string> names = FontconfigFamilies();
    for (const Twins& twins : MetricTwins()) {
        const std::string resolved = ResolvedFontFamily(twins.windowsName);
        const bool stands_in =
            SameName(resolved, twins.windowsName) ||
            std::any_of(twins.families.begin(), twins.families.end(),
                        [&](std::string_view family) { return SameName(resolved, family); });
        if (stands_in) names.emplace_back(twins.windowsName);
    }
    // The program draws these itself, whatever fontconfig has.
    for (const std::string& name : BuiltInFontNames())
        names.push_back(name);
    std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
    names.erase(
        std::unique(names.begin(), names.end(),
                    [](const std::string& a, const std::string& b) { return SameName(a, b); }),
        names.end());
    return names;
}

std::atomic<int32_t> windowsVersion{100};

} // namespace

std::string ResolvedFontFamily(std::string_view name) {
    if (!FcInit()) return {};
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) return {};
    const std::string family(name);
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* resolved = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &resolved) != FcResultMatch)
        return {};
    return reinterpret_cast<const char*>(resolved);
}

const std::vector<std::string>& InstalledFontNames() {
    // Every rendering asks; fontconfig's answer does not change while the program runs.
    static const std::vector<std::string> names = ReadInstalledFonts();
    return names;
}

const std::vector<std::string>& InstalledFontNamesAnsi() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> ansi;
        for (const std::string& name : InstalledFontNames())
            ansi.push_back(Utf8ToCp1252(name));
        return ansi;
    }();
    return names;
}

bool FontInstalled(const std::vector<std::string>& fonts, std::string_view name) {
    return std::any_of(fonts.begin(), fonts.end(),
                       [&](const std::string& font) { return SameName(font, name); });
}

int32_t WindowsVersionNumber() {
    return windowsVersion.load();
}

void SetWindowsVersionNumber(int32_t version) {
    windowsVersion.store(version);
}

} // namespace qorprt

#include "glass/AgfCatalogue.h"

#include "model/FileIo.h"
#include "model/NumberFormat.h"
#include "model/TextLines.h"

#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

struct FormulaInfo {
    std::string_view name;
    int coefficients;
};

constexpr std::array<FormulaInfo, kAgfFormulaCount> kFormulas{{
    {"Schott", 6},
    {"Sellmeier 1", 6},
    {"Herzberger", 6},
    {"Sellmeier 2", 5},
    {"Conrady", 3},
    {"Sellmeier 3", 8},
    {"Handbook 1", 4},
    {"Handbook 2", 4},
    {"Sellmeier 4", 5},
    {"Extended", 8},
    {"Sellmeier 5", 10},
    {"Extended 2", 8},
    {"Extended 3", 9},
}};

constexpr std::array<std::string_view, 5> kStatusNames{"standard", "preferred", "obsolete", "special",
                                                       "melt"};

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// The n^2 of a Sellmeier sum 1 + sum of b L / (L - c) over `terms` pairs (b, c) starting at c[first];
// nullopt on a pole.
std::optional<long double> SellmeierSum(const std::array<double, 10>& c, int first, int terms, long double L,
                                        long double start) {
    long double sum = start;
    for (int k = 0; k < terms; ++k) {
        const long double denominator = L - c[first + 2 * k + 1];
        if (denominator == 0) return std::nullopt;
        sum += c[first + 2 * k] * L / denominator;
    }
    return sum;
}

std::optional<double> Finite(long double n) {
    if (!std::isfinite(n)) return std::nullopt;
    const double value = static_cast<double>(n);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> RootOf(std::optional<long double> nSquared) {
    if (!nSquared || !std::isfinite(*nSquared) || *nSquared < 0) return std::nullopt;
    return Finite(std::sqrt(*nSquared));
}

// ---- Reading the bytes as text ----

// Appends the code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// UTF-16 text after its byte-order mark, as UTF-8. An unpaired surrogate becomes U+FFFD.
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, bool littleEndian, std::string& out) {
    if (bytes.size() % 2 != 0)
        return "it is UTF-16 text with an odd number of bytes (" + std::to_string(bytes.size() + 2) +
               "): the file is cut off or damaged";
    const auto unit = [&](std::size_t k) {
        const auto a = static_cast<unsigned char>(bytes[2 * k]);
        const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
        return static_cast<char16_t>(littleEndian ? a | (b << 8) : (a << 8) | b);
    };
    const std::size_t units = bytes.size() / 2;
    out.clear();
    out.reserve(units);
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (unit(k + 1) - 0xDC00));
            ++k;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return std::nullopt;
}

// The file's text: UTF-16 (with a byte-order mark) converted to UTF-8, 8-bit text as it is.
std::optional<std::string> DecodeText(std::string_view bytes, std::string& text) {
    const bool le = bytes.starts_with("\xFF\xFE") && !bytes.starts_with(std::string_view("\xFF\xFE\0\0", 4));
    const bool be = bytes.starts_with("\xFE\xFF");
    if (le || be) {
        if (auto error = Utf16ToUtf8(bytes.substr(2), le, text)) return error;
        if (text.find('\0') != std::string::npos) return "it holds binary data (a zero character), not text";
        return std::nullopt;
    }
    if (auto error = NotPlainText(bytes)) return error;
    text.assign(WithoutByteOrderMark(bytes));
    return std::nullopt;
}

// The blank-separated words of a line.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t k = 0;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; };
    while (k < line.size()) {
        while (k < line.size() && blank(line[k])) ++k;
        const std::size_t start = k;
        while (k < line.size() && !blank(line[k])) ++k;
        if (k > start) words.push_back(line.substr(start, k - start));
    }
    return words;
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StemOf(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

// Reads the records into `read`; returns an error message (with the line number) or nullopt.
class AgfParser {
public:
    explicit AgfParser(AgfCatalogue& read) : read_(read) {}

    std::optional<std::string> Parse(std::string_view text) {
        std::optional<std::string> error;
        int number = 0;
        ForEachLine(text, [&](std::string_view line) {
            ++number;
            error = Record(number, line);
            return !error;
        });
        if (error) return error;
        if (auto last = FinishGlass()) return last;
        if (read_.glasses.empty()) return std::string("it holds no glass (no NM line)");
        return std::nullopt;
    }

private:
    static std::string At(int line) { return "line " + std::to_string(line) + ": "; }

    std::optional<std::string> Record(int line, std::string_view text) {
        const auto words = Words(text);
        if (words.empty()) return std::nullopt;
        const std::string_view tag = words.front();
        if (tag == "NM") return Name(line, words);
        if (tag == "CD") return Coefficients(line, words);
        if (tag == "LD") return Range(line, words);
        if (tag == "CC" && glass_ < 0)
            read_.comments.emplace_back(TrimBlanks(text.substr(text.find("CC") + 2)));
        // ED, TD, OD, IT, GC and any other record are read past.
        return std::nullopt;
    }

    std::optional<std::string> Name(int line, const std::vector<std::string_view>& words) {
        if (auto previous = FinishGlass()) return previous;
        if (words.size() < 6)
            return At(line) +
                   "the NM record needs a glass name, a formula number, a code, nd and vd; it has " +
                   std::to_string(words.size() - 1) + " field" + (words.size() == 2 ? "" : "s");
        if (read_.glasses.size() >= AgfCatalogue::kMaxGlasses)
            return At(line) + "the catalogue has more than " + std::to_string(AgfCatalogue::kMaxGlasses) +
                   " glasses";
        AgfGlass glass;
        glass.name = std::string(words[1]);
        glass.line = line;
        const auto formula = ParseNumber(words[2]);
        // The range is checked before the conversion: a number beyond int would not convert.
        if (!formula || *formula != std::floor(*formula) || *formula < 1 || *formula > kAgfFormulaCount)
            return At(line) + "the glass " + Quoted(glass.name) + " has the unknown formula " +
                   Quoted(words[2]) + " (known are the numbers 1 to 13)";
        glass.formula = static_cast<int>(*formula);
        glass.milCode = std::string(words[3]);
        const auto nd = ParseNumber(words[4]);
        const auto vd = ParseNumber(words[5]);
        if (!nd)
            return At(line) + "the nd of " + Quoted(glass.name) + " is not a number: " + Quoted(words[4]);
        if (!vd)
            return At(line) + "the vd of " + Quoted(glass.name) + " is not a number: " + Quoted(words[5]);
        glass.nd = *nd;
        glass.vd = *vd;
        if (words.size() > 7) {
            const auto status = ParseNumber(words[7]);
            if (!status)
                return At(line) + "the status of " + Quoted(glass.name) +
                       " is not a number: " + Quoted(words[7]);
            if (*status == std::floor(*status) && *status >= 0 && *status < kStatusNames.size())
                glass.status = static_cast<int>(*status);
        }
        for (const AgfGlass& earlier : read_.glasses)
            if (earlier.name == glass.name)
                return At(line) + "the glass " + Quoted(glass.name) + " is there already (line " +
                       std::to_string(earlier.line) + ")";
        read_.glasses.push_back(std::move(glass));
        glass_ = static_cast<int>(read_.glasses.size()) - 1;
        hasCoefficients_ = false;
        return std::nullopt;
    }

    std::optional<std::string> Coefficients(int line, const std::vector<std::string_view>& words) {
        if (glass_ < 0) return At(line) + "a CD record comes before any glass (NM record)";
        AgfGlass& glass = read_.glasses[glass_];
        if (hasCoefficients_) return At(line) + "the glass " + Quoted(glass.name) + " has a second CD record";
        const int needed = AgfCoefficientCount(glass.formula);
        const int given = static_cast<int>(words.size()) - 1;
        for (int k = 0; k < given; ++k) {
            const auto value = ParseNumber(words[k + 1]);
            if (!value)
                return At(line) + "coefficient " + std::to_string(k + 1) + " of " + Quoted(glass.name) +
                       " is not a number: " + Quoted(words[k + 1]);
            if (k < needed) glass.coefficients[k] = *value;
        }
        if (given < needed)
            return At(line) + "the " + std::string(AgfFormulaName(glass.formula)) + " formula of " +
                   Quoted(glass.name) + " needs " + std::to_string(needed) +
                   " coefficients; the CD record has " + std::to_string(given);
        hasCoefficients_ = true;
        return std::nullopt;
    }

    std::optional<std::string> Range(int line, const std::vector<std::string_view>& words) {
        if (glass_ < 0) return At(line) + "an LD record comes before any glass (NM record)";
        AgfGlass& glass = read_.glasses[glass_];
        if (words.size() < 3)
            return At(line) + "the LD record of " + Quoted(glass.name) +
                   " needs the shortest and the longest wavelength";
        const auto low = ParseNumber(words[1]);
        const auto high = ParseNumber(words[2]);
        if (!low || !high || *low < 0 || *high < *low)
            return At(line) + "the LD record of " + Quoted(glass.name) +
                   " is not a wavelength range in micrometres: " + Quoted(words[1]) + " " + Quoted(words[2]);
        glass.lambdaMin = *low;
        glass.lambdaMax = *high;
        return std::nullopt;
    }

    std::optional<std::string> FinishGlass() {
        if (glass_ < 0 || hasCoefficients_) return std::nullopt;
        const AgfGlass& glass = read_.glasses[glass_];
        return At(glass.line) + "the glass " + Quoted(glass.name) + " has no CD record (its coefficients)";
    }

    AgfCatalogue& read_;
    int glass_ = -1;
    bool hasCoefficients_ = false;
};

} // namespace

std::string_view AgfFormulaName(int formula) {
    return formula >= 1 && formula <= kAgfFormulaCount ? kFormulas[formula - 1].name : std::string_view();
}

int AgfCoefficientCount(int formula) {
    return formula >= 1 && formula <= kAgfFormulaCount ? kFormulas[formula - 1].coefficients : 0;
}

std::string_view AgfStatusName(int status) {
    return status >= 0 && status < static_cast<int>(kStatusNames.size()) ? kStatusNames[status]
                                                                         : std::string_view();
}

std::optional<double> AgfFormulaIndex(int formula, const std::array<double, 10>& c, double micrometres) {
    if (!std::isfinite(micrometres) || micrometres <= 0) return std::nullopt;
    const long double lambda = micrometres;
    const long double L = lambda * lambda;
    // The sum c[first] + c[first + 1] L^p1 + ... for the power series formulas, the powers of L given.
    const auto series = [&](std::initializer_list<int> powers) {
        long double sum = 0;
        int k = 0;
        for (int power : powers) sum += c[k++] * std::pow(L, static_cast<long double>(power));
        return sum;
    };
    switch (formula) {
    case 1:
        return RootOf(series({0, 1, -1, -2, -3, -4}));
    case 2:
        return RootOf(SellmeierSum(c, 0, 3, L, 1));
    case 3: {
        const long double h = 1 / (L - 0.028L);
        if (!std::isfinite(h)) return std::nullopt;
        return Finite(c[0] + c[1] * h + c[2] * h * h + c[3] * L + c[4] * L * L + c[5] * L * L * L);
    }
    case 4: {
        std::array<double, 10> squared = c;
        squared[2] = c[2] * c[2];
        squared[4] = c[4] * c[4];
        return RootOf(SellmeierSum(squared, 1, 2, L, 1 + static_cast<long double>(c[0])));
    }
    case 5:
        return Finite(c[0] + c[1] / lambda + c[2] / std::pow(lambda, 3.5L));
    case 6:
        return RootOf(SellmeierSum(c, 0, 4, L, 1));
    case 7: {
        if (L == c[2]) return std::nullopt;
        return RootOf(c[0] + c[1] / (L - c[2]) - c[3] * L);
    }
    case 8: {
        if (L == c[2]) return std::nullopt;
        return RootOf(c[0] + c[1] * L / (L - c[2]) - c[3] * L);
    }
    case 9:
        return RootOf(SellmeierSum(c, 1, 2, L, c[0]));
    case 10:
        return RootOf(series({0, 1, -1, -2, -3, -4, -5, -6}));
    case 11:
        return RootOf(SellmeierSum(c, 0, 5, L, 1));
    case 12:
        return RootOf(series({0, 1, -1, -2, -3, -4, 2, 3}));
    case 13:
        return RootOf(series({0, 1, 2, -1, -2, -3, -4, -5, -6}));
    default:
        return std::nullopt;
    }
}

std::optional<double> AgfGlass::IndexAt(double nanometres) const {
    return AgfFormulaIndex(formula, coefficients, nanometres / 1000);
}

bool AgfGlass::Covers(double nanometres, double toleranceNm) const {
    if (lambdaMin == 0 && lambdaMax == 0) return true;
    const double micrometres = nanometres / 1000, tolerance = toleranceNm / 1000;
    return micrometres >= lambdaMin - tolerance && micrometres <= lambdaMax + tolerance;
}

const AgfGlass* AgfCatalogue::Find(std::string_view glassName) const {
    for (const AgfGlass& glass : glasses)
        if (glass.name == glassName) return &glass;
    return nullptr;
}

bool AgfCatalogue::IsNamed(std::string_view text) const {
    return EqualNoCase(text, name) || EqualNoCase(text, fileName);
}

std::optional<std::string> ParseAgfCatalogue(std::string_view bytes, const std::string& path,
                                             AgfCatalogue& catalogue) {
    const auto refuse = [&](const std::string& why) {
        return Quoted(path) + " is not an AGF glass catalogue: " + why;
    };
    std::string text;
    if (auto error = DecodeText(bytes, text)) return refuse(*error);
    AgfCatalogue read;
    read.path = path;
    read.fileName = FileNameOf(path);
    read.name = StemOf(read.fileName);
    if (auto error = AgfParser(read).Parse(text)) return refuse(*error);
    catalogue = std::move(read);
    return std::nullopt;
}

std::optional<std::string> LoadAgfCatalogue(const std::string& path, AgfCatalogue& catalogue) {
    std::string bytes;
    if (auto error = ReadWholeFile(path, bytes, kMaxDataFileBytes)) return error;
    return ParseAgfCatalogue(bytes, path, catalogue);
}

std::optional<std::string> AddedCatalogues::Add(const std::string& path) {
    AgfCatalogue catalogue;
    if (auto error = LoadAgfCatalogue(path, catalogue)) return error;
    return Add(std::move(catalogue));
}

std::optional<std::string> AddedCatalogues::Add(AgfCatalogue catalogue) {
    for (AgfCatalogue& added : catalogues_) {
        if (added.path == catalogue.path) {
            added = std::move(catalogue);
            return std::nullopt;
        }
        if (added.IsNamed(catalogue.name) || added.IsNamed(catalogue.fileName))
            return "A catalogue named " + Quoted(added.name) + " is added already (" + Quoted(added.path) +
                   "); remove it first";
    }
    if (catalogues_.size() >= kMaxCatalogues)
        return "At most " + std::to_string(kMaxCatalogues) + " catalogues can be added";
    catalogues_.push_back(std::move(catalogue));
    return std::nullopt;
}

bool AddedCatalogues::Remove(std::size_t index) {
    if (index >= catalogues_.size()) return false;
    catalogues_.erase(catalogues_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

std::vector<std::string> AddedCatalogues::Paths() const {
    std::vector<std::string> paths;
    for (const AgfCatalogue& catalogue : catalogues_) paths.push_back(catalogue.path);
    return paths;
}

const AgfCatalogue* AddedCatalogues::Catalogue(std::string_view name) const {
    for (const AgfCatalogue& catalogue : catalogues_)
        if (catalogue.IsNamed(name)) return &catalogue;
    return nullptr;
}

const AgfCatalogue* AddedCatalogues::FromRemarks(std::string_view remarks) const {
    for (const AgfCatalogue& catalogue : catalogues_)
        if (catalogue.fileName == remarks) return &catalogue;
    return nullptr;
}

AgfIndices AddedCatalogues::Indices(std::string_view glassName, std::string_view catalogueName,
                                    const std::vector<double>& nanometres) const {
    AgfIndices result;
    result.glass = std::string(glassName);
    const AgfCatalogue* catalogue = nullptr;
    const AgfGlass* glass = nullptr;
    if (!catalogueName.empty()) {
        catalogue = Catalogue(catalogueName);
        if (!catalogue) {
            result.error = "No added catalogue is named " + Quoted(catalogueName);
            return result;
        }
        glass = catalogue->Find(glassName);
        if (!glass) {
            result.error =
                "There is no glass " + Quoted(glassName) + " in the catalogue " + Quoted(catalogue->path);
            return result;
        }
    } else {
        for (const AgfCatalogue& added : catalogues_)
            if ((glass = added.Find(glassName))) {
                catalogue = &added;
                break;
            }
        if (!glass) {
            result.error = "There is no glass " + Quoted(glassName) + " in any added catalogue";
            return result;
        }
    }
    result.catalogue = catalogue->name;
    result.remarks = catalogue->fileName;
    for (double nm : nanometres) {
        result.indices.push_back(glass->IndexAt(nm));
        result.outsideRange.push_back(!glass->Covers(nm));
    }
    return result;
}

std::string AgfLineIndexText(const AgfGlass& glass, int line) {
    if (line < 0 || line >= static_cast<int>(kExactLineNanometres.size())) return "";
    const double nm = kExactLineNanometres[line];
    if (!glass.Covers(nm, kLineRangeToleranceNm)) return "";
    const auto n = glass.IndexAt(nm);
    return n ? FormatFixed(*n, 5) : "";
}

std::string AgfCatalogueGridText(const AgfCatalogue& catalogue) {
    // The heading must not be split into fields, nor be taken for a title line.
    std::string heading = catalogue.name + " glass catalogue (AGF file " + catalogue.fileName + ")";
    std::replace_if(
        heading.begin(), heading.end(), [](char c) { return c == ',' || c == '\t'; }, ' ');
    std::string text = heading + "\n";
    text += "Glass\tnd\tvd\tnt\tns\tnA'\tnr\tnC\tne\tnF\tng\tnh\tni\tFormula\t\xCE\xBBmin (\xC2\xB5m)\t"
            "\xCE\xBBmax (\xC2\xB5m)\tStatus\tCode\n";
    constexpr int kD = 5;
    for (const AgfGlass& glass : catalogue.glasses) {
        std::string nd = AgfLineIndexText(glass, kD);
        // A glass whose range leaves out the d line (an infrared material) shows the maker's nd.
        if (nd.empty() && glass.nd > 0) nd = FormatFixed(glass.nd, 5);
        text += glass.name + "\t" + nd + "\t" + FormatGeneral(glass.vd, 8);
        for (int line = 0; line < static_cast<int>(kExactLineNanometres.size()); ++line)
            if (line != kD) text += "\t" + AgfLineIndexText(glass, line);
        text += "\t" + std::to_string(glass.formula) + " " + std::string(AgfFormulaName(glass.formula));
        const bool ranged = glass.lambdaMin != 0 || glass.lambdaMax != 0;
        text += "\t" + (ranged ? FormatGeneral(glass.lambdaMin, 8) : "") + "\t" +
                (ranged ? FormatGeneral(glass.lambdaMax, 8) : "");
        text += "\t" + std::string(AgfStatusName(glass.status)) + "\t" + glass.milCode + "\n";
    }
    return text;
}

} // namespace vitrimo

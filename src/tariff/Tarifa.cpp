#include "tariff/Tarifa.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include "tariff/BandRecords.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace evidor {

namespace {

constexpr char kTemplateBytes[] = "nova"
                                  "\xFF\x00\x00\x00\x17\x3B\x3B\x00\x00\x00\x00"
                                  "\xFE\x00\x00\x00\x17\x3B\x3B\x00\x00\x00\x00";

constexpr int kMaxImpulseLength = 99 * 60 + 59;
constexpr int kMaxImpulsePrice = 99 * 100 + 99;

bool endsWithTfa(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".tfa";
}

} // namespace

const std::string_view kTarifaTemplate(kTemplateBytes, sizeof kTemplateBytes - 1);

double timeOfDay(int hour, int minute, int second)
{
    return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

int secondsOfDay(double t)
{
    if (!std::isfinite(t))
        return 0;
    const double frac = t - std::floor(t);
    const long long ms = std::llround(frac * 86400000.0);
    // A fraction a hair below a whole day would otherwise read as 24:00:00.
    return static_cast<int>(std::min<long long>(ms / 1000, 86399));
}

std::string formatBandTime(double t)
{
    const int s = secondsOfDay(t);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

namespace detail {

std::optional<TPasmo> decodeBandRecord(const unsigned char* d, bool weekend)
{
    for (int i = 0; i < 10; ++i)
        if (d[i] >= 128)
            return std::nullopt;
    if (d[0] > 23 || d[1] > 59 || d[2] > 59 || d[3] > 23 || d[4] > 59 || d[5] > 59)
        return std::nullopt;
    TPasmo p;
    p.zaciatok = timeOfDay(d[0], d[1], d[2]);
    p.koniec = timeOfDay(d[3], d[4], d[5]);
    p.dlzkaImpulzu = d[6] * 60 + d[7];
    p.cenaImpulzu = d[8] * 100 + d[9];
    p.vikend = weekend;
    return p;
}

} // namespace detail

TarifaReading decodeTarifa(std::string_view bytes)
{
    TarifaReading r;
    const auto first = bytes.find('\xFF');
    r.tarifa.popis = cp1250ToUtf8(bytes.substr(0, first));
    r.bandsInFile = 1;
    if (first != std::string_view::npos)
        r.bandsInFile += static_cast<int>(
            std::count(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.end(), '\xFF'));
    r.bandCount = std::min(r.bandsInFile, MaxPasiem);
    r.tarifa.pasma.assign(static_cast<std::size_t>(r.bandCount), TPasmo{});

    detail::forEachBandRecord(bytes, [&](const detail::BandRecord& rec) {
        if (rec.size < 10) {
            r.formatError = true;
            return false;
        }
        const auto band = detail::decodeBandRecord(rec.data, rec.weekend);
        if (!band) {
            r.formatError = true;
            return false;
        }
        // Records beyond the band count (markers other than 0xFF are not counted) are checked
        // but have no place in the tariff.
        if (rec.index < r.bandCount) {
            r.tarifa.pasma[static_cast<std::size_t>(rec.index)] = *band;
            ++r.decoded;
        }
        return true;
    });
    return r;
}

bool popisFits(std::string_view popis)
{
    const auto bytes = utf8ToCp1250(popis);
    return bytes && bytes->find('\xFF') == std::string::npos;
}

std::optional<std::string> encodeTarifa(const TTarifa& tarifa, int bandCount)
{
    auto out = utf8ToCp1250(tarifa.popis);
    if (!out || out->find('\xFF') != std::string::npos)
        return std::nullopt;
    const auto n = static_cast<std::size_t>(
        std::clamp<long long>(bandCount, 0, static_cast<long long>(tarifa.pasma.size())));
    out->reserve(out->size() + 11 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const TPasmo& p = tarifa.pasma[i];
        if (p.dlzkaImpulzu < 0 || p.dlzkaImpulzu > kMaxImpulseLength || p.cenaImpulzu < 0 ||
            p.cenaImpulzu > kMaxImpulsePrice)
            return std::nullopt;
        const int from = secondsOfDay(p.zaciatok);
        const int to = secondsOfDay(p.koniec);
        const int bytes[11] = {p.vikend ? 0xFE : 0xFF,
                               from / 3600,
                               from / 60 % 60,
                               from % 60,
                               to / 3600,
                               to / 60 % 60,
                               to % 60,
                               p.dlzkaImpulzu / 60,
                               p.dlzkaImpulzu % 60,
                               p.cenaImpulzu / 100,
                               p.cenaImpulzu % 100};
        for (int b : bytes)
            out->push_back(static_cast<char>(b));
    }
    return out;
}

std::vector<std::string> ZoznamTarif(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code fec;
        if (name.empty() || name.front() == '.' || !endsWithTfa(name) || !it->is_regular_file(fec))
            continue;
        names.push_back(name);
    }
    return names;
}

std::optional<TarifaReading> NacitajTarifu(const std::string& path, IPrompts& prompts)
{
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        prompts.toneBeep(1, 1);
        prompts.messageBox(kTarifaOpenError, kTarifaOpenErrorCaption, IPrompts::Icon::Warning,
                           IPrompts::Buttons::Ok);
        return std::nullopt;
    }
    TarifaReading r = decodeTarifa(*bytes);
    if (r.formatError)
        prompts.messageBox(kFileError, kFileErrorCaption, IPrompts::Icon::Error, IPrompts::Buttons::OkCancel);
    if (r.bandsInFile > MaxPasiem)
        prompts.message("Súbor s tarifou " + std::filesystem::path(path).filename().string() + " má " +
                        std::to_string(r.bandsInFile) + " pásiem, tarifa ich môže mať najviac " +
                        std::to_string(MaxPasiem) + ". Načítalo sa prvých " + std::to_string(MaxPasiem) +
                        " pásiem.");
    return r;
}

bool UlozTarifu(const std::string& path, const TTarifa& tarifa, int bandCount, IPrompts& prompts,
                std::ostream& errors)
{
    const auto bytes = encodeTarifa(tarifa, bandCount);
    if (!bytes) {
        prompts.messageBox(kFileError, kFileErrorCaption, IPrompts::Icon::Error, IPrompts::Buttons::OkCancel);
        return false;
    }
    if (const auto error = writeFileAtomically(path, *bytes)) {
        // The temporary file could not be made: the folder does not take the file at all.
        if (error->rfind("Cannot create", 0) == 0)
            errors << kCannotOpenOutput << '\n';
        else
            prompts.messageBox(kFileError, kFileErrorCaption, IPrompts::Icon::Error,
                               IPrompts::Buttons::OkCancel);
        return false;
    }
    return true;
}

void VytvorTarifu(const std::string& path)
{
    (void)writeFileAtomically(path, kTarifaTemplate);
}

void ZmazTarifu(const std::string& path)
{
    // A folder of that name is not a tariff.
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec))
        std::filesystem::remove(path, ec);
}

} // namespace evidor

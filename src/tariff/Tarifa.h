#pragma once

#include "platform/Prompts.h"

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace evidor {

/// The most bands a tariff holds.
inline constexpr int MaxPasiem = 30;

/// One tariff band. Times are day fractions (0.5 is 12:00:00) at one-second resolution.
struct TPasmo
{
    double zaciatok = 0;           ///< first second of the band
    double koniec = 0;             ///< last second of the band, inclusive
    std::int32_t cenaImpulzu = 0;  ///< hundredths of a crown, 0..9999
    std::int32_t dlzkaImpulzu = 0; ///< seconds, below 100 minutes
    bool vikend = false;           ///< valid on Saturdays, Sundays and holidays
    friend bool operator==(const TPasmo&, const TPasmo&) = default;
};

/// One tariff: a description (UTF-8 in memory, Windows-1250 in the file) and its bands in file
/// order. A well-formed tariff has working-day bands followed by exactly one weekend band.
struct TTarifa
{
    std::string popis;
    std::vector<TPasmo> pasma;
};

/// The day fraction of a time of day (milliseconds 0).
double timeOfDay(int hour, int minute, int second);
/// Whole seconds since midnight of a day fraction; the date part and milliseconds are dropped.
int secondsOfDay(double t);
/// "hh:nn:ss" of a day fraction.
std::string formatBandTime(double t);

/// The 26 bytes of a new tariff: "nova", one working-day and one weekend band, all zero.
extern const std::string_view kTarifaTemplate;

/// What a tariff file's bytes hold, read the way the meter reads them.
struct TarifaReading
{
    /// The description and `bandCount` bands; bands counted but not decoded are all zero.
    TTarifa tarifa;
    int bandCount = 0;        ///< the 0xFF bytes from the first one on, plus one; at most MaxPasiem
    int bandsInFile = 0;      ///< the same count before it was cut to MaxPasiem
    int decoded = 0;          ///< bands decoded into `tarifa` (the rest of `bandCount` are zero)
    bool formatError = false; ///< a value out of range or a record cut short; decoding stopped there
};

/// Decodes a tariff file. Never fails: a damaged file gives what could be read before the damage.
TarifaReading decodeTarifa(std::string_view bytes);

/// The file bytes of the first `bandCount` bands of `tarifa`. Nothing when the tariff cannot be
/// stored: a description Windows-1250 cannot hold or holding "˙" (byte 0xFF, which would end
/// it), or a band value out of the format's range.
std::optional<std::string> encodeTarifa(const TTarifa& tarifa, int bandCount);

/// Whether a description can be stored in a tariff file (see encodeTarifa).
bool popisFits(std::string_view popis);

/// File names (with extension) of the plain, not hidden "*.tfa" files of `dir`, in directory order.
std::vector<std::string> ZoznamTarif(const std::string& dir);

/// Reads a tariff file. A file that cannot be read: a tone beep and the "Varovanie" box, nothing
/// returned. A damaged file: the "File Error" box; what was decoded before the damage is
/// returned. More than MaxPasiem bands: the first MaxPasiem, and the user is told.
std::optional<TarifaReading> NacitajTarifu(const std::string& path, IPrompts& prompts);

/// Writes the first `bandCount` bands of `tarifa` to `path`, replacing the file only once the new
/// one is complete. When the folder cannot take the file, "Cannot open output file." goes to
/// `errors` and the user sees nothing; any other failure shows the "File Error" box. Either way
/// the old file stays as it was. Returns whether the file was written.
bool UlozTarifu(const std::string& path, const TTarifa& tarifa, int bandCount, IPrompts& prompts,
                std::ostream& errors = std::cerr);

/// Creates (or replaces) `path` with the template; a failure is ignored.
void VytvorTarifu(const std::string& path);

/// Deletes `path`; a failure is ignored.
void ZmazTarifu(const std::string& path);

/// Texts shown by the operations above.
inline constexpr const char* kTarifaOpenError = "Chyba pri otvorení súboru s tarifou !";
inline constexpr const char* kTarifaOpenErrorCaption = "Varovanie";
inline constexpr const char* kFileError =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";
inline constexpr const char* kFileErrorCaption = "File Error";
inline constexpr const char* kCannotOpenOutput = "Cannot open output file.";

} // namespace evidor

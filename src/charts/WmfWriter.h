#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace evidor {

/// A colour of the metafile (COLORREF without the flags byte).
struct WmfColor
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const WmfColor&, const WmfColor&) = default;
};

/// A point in logical units of the metafile.
struct WmfPoint
{
    int x = 0;
    int y = 0;
};

/// A font as the metafile describes it (LOGFONT). Text is drawn in Windows-1250 bytes, so the
/// font declares the East European character set.
struct WmfFont
{
    int height = -12;   ///< negative: character height in logical units
    int escapement = 0; ///< tenths of a degree, counter-clockwise
    int weight = 400;   ///< 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    std::string faceName = "Arial"; ///< at most 31 bytes are kept
};

/// Writes a placeable Windows metafile (the 16-bit kind with the 0x9AC6CDD7 prefix) record by
/// record. Coordinates are logical units; values beyond the 16-bit range are clamped, since the
/// format cannot hold them. Objects are numbered as the player numbers them: each created object
/// takes the lowest free slot.
class WmfWriter
{
public:
    enum class PenStyle : std::uint16_t
    {
        Solid = 0,
        Dash = 1,
        Dot = 2,
        DashDot = 3,
        DashDotDot = 4,
        Null = 5
    };
    enum class BrushStyle : std::uint16_t
    {
        Solid = 0,
        Null = 1,
        Hatched = 2
    };
    enum class FillMode : std::uint16_t
    {
        Alternate = 1,
        Winding = 2
    };

    /// Text alignment flags of SETTEXTALIGN.
    static constexpr std::uint16_t AlignLeft = 0;
    static constexpr std::uint16_t AlignRight = 2;
    static constexpr std::uint16_t AlignCenter = 6;
    static constexpr std::uint16_t AlignTop = 0;
    static constexpr std::uint16_t AlignBottom = 8;
    static constexpr std::uint16_t AlignBaseline = 24;

    /// Options of EXTTEXTOUT.
    static constexpr std::uint16_t TextOpaque = 0x02;
    static constexpr std::uint16_t TextClipped = 0x04;

    /// A picture of `width` x `height` logical units, `unitsPerInch` of which make an inch.
    /// Opens with the anisotropic mapping mode and a window equal to the bounding box.
    WmfWriter(int width, int height, int unitsPerInch = 1440);

    int createPen(PenStyle style, int width, WmfColor color);
    int createBrush(BrushStyle style, WmfColor color, std::uint16_t hatch = 0);
    int createFont(const WmfFont& font);
    void selectObject(int index);
    /// Frees the slot for the next created object.
    void deleteObject(int index);

    void setBkMode(bool transparent);
    void setBkColor(WmfColor color);
    void setTextColor(WmfColor color);
    void setTextAlign(std::uint16_t flags);
    void setPolyFillMode(FillMode mode);

    void saveDC();
    /// Restores the state saved by the matching saveDC (relative -1 by default).
    void restoreDC(int saved = -1);
    void intersectClipRect(int left, int top, int right, int bottom);

    void moveTo(int x, int y);
    void lineTo(int x, int y);
    /// GDI leaves out the right and bottom edge: pass one more than the last pixel.
    void rectangle(int left, int top, int right, int bottom);
    void roundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void ellipse(int left, int top, int right, int bottom);
    void polygon(const std::vector<WmfPoint>& points);
    void polyline(const std::vector<WmfPoint>& points);
    /// `bytes` are in the font's character set (Windows-1250).
    void textOut(int x, int y, std::string_view bytes);
    /// `dx`, when not empty, holds the advance of each byte (one per byte).
    void extTextOut(int x, int y, std::string_view bytes, const std::vector<int>& dx = {});

    /// A picture of `srcWidth` x `srcHeight` pixels stretched over the given rectangle.
    /// `rows` holds 24-bit pixels (blue, green, red), bottom row first, each row padded to a
    /// multiple of four bytes, as a device-independent bitmap keeps them.
    void stretchDib(int left, int top, int width, int height, int srcWidth, int srcHeight,
                    std::string_view rows);

    /// Ends the metafile and gives all its bytes. The writer must not be used afterwards.
    std::string finish();

    /// Number of object slots in use now.
    int liveObjects() const;

private:
    void record(std::uint16_t function, const std::vector<std::int16_t>& params, std::string_view tail = {});
    int allocateSlot();

    int m_width;
    int m_height;
    int m_unitsPerInch;
    std::string m_records;
    std::uint32_t m_largestRecord = 0;
    std::vector<bool> m_slots; ///< true where an object lives
    bool m_finished = false;
};

} // namespace evidor

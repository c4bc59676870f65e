// Draws Belltide's artwork, a golden bell over the tide, into PNG files (where the toolkit has PNG)
// and BMP files: the icon in 16 to 256 pixels, the logo (100 x 88) and the About pictures; and
// the icon for the Windows resources, belltide.ico (16, 32, 48, 64 and 256 pixels).
#include "files/PcPath.h"

#include <wx/image.h>
#include <wx/init.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r, g, b, a;
};

Colour mix(const Colour& x, const Colour& y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

Colour over(const Colour& top, const Colour& below) {
    const double a = top.a + below.a * (1 - top.a);
    if (a <= 0)
        return {0, 0, 0, 0};
    const auto channel = [&](double t, double b) {
        return (t * top.a + b * below.a * (1 - top.a)) / a;
    };
    return {channel(top.r, below.r), channel(top.g, below.g), channel(top.b, below.b), a};
}

constexpr Colour Gold{236, 184, 48, 1};
constexpr Colour DarkGold{150, 98, 18, 1};
constexpr Colour Outline{92, 58, 10, 1};

// The bell in a unit square: u across (-0.5 .. 0.5), v down (0 .. 1).
double bodyHalfWidth(double v) {
    if (v >= 0.13 && v < 0.30)
        return std::sqrt(std::max(0.0, 0.17 * 0.17 - (v - 0.30) * (v - 0.30)));
    if (v >= 0.30 && v <= 0.74) {
        const double t = (v - 0.30) / 0.44;
        return 0.17 + 0.05 * t + 0.20 * std::pow(t, 4);
    }
    return -1;
}

// Colour of the bell at (u, v), transparent outside it.
Colour bellAt(double u, double v) {
    const double shine = [&] {
        const double w = std::max(0.05, bodyHalfWidth(std::clamp(v, 0.14, 0.74)));
        return std::clamp(1.0 - std::abs(u + 0.35 * w) / (1.3 * w), 0.0, 1.0);
    }();
    const double half = bodyHalfWidth(v);
    if (half > 0 && std::abs(u) <= half) {
        const bool edge = std::abs(u) > half - 0.025 || v < 0.13 + 0.02;
        return edge ? Outline : mix(DarkGold, Gold, 0.35 + 0.65 * shine);
    }
    const double rim = (u / 0.44) * (u / 0.44) + ((v - 0.76) / 0.05) * ((v - 0.76) / 0.05);
    if (rim <= 1.0)
        return rim > 0.7 ? Outline : mix(DarkGold, Gold, 0.6);
    const double clapper = std::hypot(u, v - 0.86);
    if (clapper <= 0.075)
        return clapper > 0.055 ? Outline : DarkGold;
    const double crown = std::hypot(u, v - 0.09);
    if (crown <= 0.065 && crown >= 0.035)
        return Outline;
    return {0, 0, 0, 0};
}

// Sky over a rolling tide, for the pictures that fill their whole frame.
Colour sceneAt(double x, double y, double aspect) {
    const Colour sky = mix(Colour{26, 64, 112, 1}, Colour{88, 150, 196, 1}, y);
    const double wave = 0.80 + 0.035 * std::sin(x * aspect * 2 * std::numbers::pi * 1.5);
    if (y < wave)
        return sky;
    const Colour sea = mix(Colour{40, 150, 170, 1}, Colour{14, 70, 110, 1}, (y - wave) / 0.2);
    return y < wave + 0.02 ? mix(Colour{230, 245, 250, 1}, sea, (y - wave) / 0.02) : sea;
}

enum class Background { Transparent, Scene };

wxImage draw(int width, int height, Background background) {
    constexpr int Samples = 4;
    const double bell = std::min(width, height) * (background == Background::Scene ? 0.86 : 1.0);
    const double left = (width - bell) / 2.0;
    const double top = background == Background::Scene ? height * 0.02 : (height - bell) / 2.0;
    wxImage image(width, height);
    if (background == Background::Transparent)
        image.InitAlpha();
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            Colour sum{0, 0, 0, 0};
            for (int sy = 0; sy < Samples; ++sy) {
                for (int sx = 0; sx < Samples; ++sx) {
                    const double x = px + (sx + 0.5) / Samples;
                    const double y = py + (sy + 0.5) / Samples;
                    Colour c = bellAt((x - left) / bell - 0.5, (y - top) / bell);
                    if (background == Background::Scene)
                        c = over(c, sceneAt(x / width, y / height, double(width) / height));
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            }
            const double n = Samples * Samples;
            const double a = sum.a / n;
            const auto channel = [&](double v) {
                return static_cast<unsigned char>(std::clamp(a > 0 ? v / sum.a : 0.0, 0.0, 255.0));
            };
            image.SetRGB(px, py, channel(sum.r), channel(sum.g), channel(sum.b));
            if (background == Background::Transparent)
                image.SetAlpha(px, py, static_cast<unsigned char>(std::lround(a * 255)));
        }
    }
    return image;
}

void putLittleEndian(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// An icon file whose images are 32-bit bitmaps with alpha: read by every Windows and by windres,
// and needing no PNG support.
bool saveIcon(const std::vector<wxImage>& images, const std::string& path) {
    std::vector<unsigned char> header;
    std::vector<unsigned char> bodies;
    putLittleEndian(header, 0, 2);
    putLittleEndian(header, 1, 2);
    putLittleEndian(header, static_cast<std::uint32_t>(images.size()), 2);
    const std::uint32_t firstBody = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const wxImage& image : images) {
        const int w = image.GetWidth();
        const int h = image.GetHeight();
        // The mask rows are padded to 32 bits; the alpha channel decides, so it stays clear.
        const std::uint32_t maskRow = static_cast<std::uint32_t>((w + 31) / 32 * 4);
        const std::uint32_t size = 40 + static_cast<std::uint32_t>(w * h * 4) + maskRow * h;
        header.push_back(static_cast<unsigned char>(w >= 256 ? 0 : w));
        header.push_back(static_cast<unsigned char>(h >= 256 ? 0 : h));
        putLittleEndian(header, 0, 2);
        putLittleEndian(header, 1, 2);
        putLittleEndian(header, 32, 2);
        putLittleEndian(header, size, 4);
        putLittleEndian(header, firstBody + static_cast<std::uint32_t>(bodies.size()), 4);
        putLittleEndian(bodies, 40, 4);
        putLittleEndian(bodies, static_cast<std::uint32_t>(w), 4);
        putLittleEndian(bodies, static_cast<std::uint32_t>(2 * h), 4); // colour and mask
        putLittleEndian(bodies, 1, 2);
        putLittleEndian(bodies, 32, 2);
        for (int i = 0; i < 6; ++i)
            putLittleEndian(bodies, 0, 4);
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) {
                bodies.push_back(image.GetBlue(x, y));
                bodies.push_back(image.GetGreen(x, y));
                bodies.push_back(image.GetRed(x, y));
                bodies.push_back(image.HasAlpha() ? image.GetAlpha(x, y) : 255);
            }
        bodies.insert(bodies.end(), maskRow * h, 0);
    }
    std::ofstream file(pcPath(path), std::ios::binary);
    file.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    file.write(reinterpret_cast<const char*>(bodies.data()), std::streamsize(bodies.size()));
    return static_cast<bool>(file);
}

// Writes the picture as name.png, where the toolkit has PNG, and as name.bmp (no alpha).
bool save(const wxImage& image, const std::string& pathWithoutExtension) {
    bool ok = true;
#if wxUSE_LIBPNG
    ok &= image.SaveFile(wxString::FromUTF8(pathWithoutExtension + ".png"), wxBITMAP_TYPE_PNG);
#endif
    wxImage opaque = image.Copy();
    if (opaque.HasAlpha())
        opaque.ClearAlpha();
    ok &= opaque.SaveFile(wxString::FromUTF8(pathWithoutExtension + ".bmp"), wxBITMAP_TYPE_BMP);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_artwork OUTPUT_FOLDER\n");
        return 2;
    }
    wxInitializer wx;
#if wxUSE_LIBPNG
    wxImage::AddHandler(new wxPNGHandler);
#endif
    const std::string folder = argv[1];
    bool ok = true;
    // 16 to 64 for the window; 128 and 256 for the desktop's menus and software centres.
    std::vector<wxImage> icons;
    for (int size : {16, 32, 64, 128, 256}) {
        icons.push_back(draw(size, size, Background::Transparent));
        ok &= save(icons.back(), folder + "/belltide-" + std::to_string(size));
    }
    // Windows' own sizes: 48 is Explorer's and the desktop's; 128 would add only weight.
    icons.erase(icons.begin() + 3);
    icons.insert(icons.begin() + 2, draw(48, 48, Background::Transparent));
    ok &= saveIcon(icons, folder + "/belltide.ico");
    ok &= save(draw(100, 88, Background::Scene), folder + "/logo");
    ok &= save(draw(250, 220, Background::Scene), folder + "/about");
    ok &= save(draw(101, 73, Background::Scene), folder + "/about-small");
    return ok ? 0 : 1;
}

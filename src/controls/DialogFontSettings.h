#pragma once
// The one dialog font of the tool's windows, chosen per site in "loginset.ini" in the working
// directory, section "DLGFONT": "FONTSIZE" in tenths of a point and "FONTFOCENAME", the face.
//
// The default face "幼圆" is not installed on Linux. Qt then asks fontconfig for a substitute:
// with the packages the bootstrap installs, Latin text is drawn in DejaVu Sans (fonts-dejavu-core,
// which fontconfig itself pulls in) and Chinese characters in WenQuanYi Micro Hei
// (fonts-wqy-microhei).

#include <QFont>
#include <string>

struct DialogFontSettings {
    static constexpr std::size_t kMaxFaceBytes = 29;

    int pointSize = 80;             // tenths of a point
    std::string faceName = "幼圆";  // UTF-8, at most 29 bytes in GBK
};

// The settings of "loginset.ini" in the current directory; a missing file, section or key gives
// 100 and "幼圆". A size without leading digits reads as 0.
DialogFontSettings LoadFontSettings();

// The font of the settings: the face at size / 10 points; a size of 0 or less leaves the size to
// the platform's default.
QFont CreateDialogFont(const DialogFontSettings& settings);

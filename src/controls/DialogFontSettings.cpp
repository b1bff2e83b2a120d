#include "controls/DialogFontSettings.h"

#include "platform/HostPath.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

DialogFontSettings LoadFontSettings() {
    DialogFontSettings settings;
    const kova::IniFile ini(kova::windowsWorkingDirectory() + "\\loginset.ini");
    settings.pointSize = kova::parseLeadingInt(ini.readString("DLGFONT", "FONTSIZE", "100", 255));
    const std::string face = ini.readString("DLGFONT", "FONTFOCENAME", "幼圆", 255);
    settings.faceName = std::string(kova::cutToGbkBytes(face, DialogFontSettings::kMaxFaceBytes));
    return settings;
}

QFont CreateDialogFont(const DialogFontSettings& settings) {
    QFont font;  // the application's font, so that an unset size stays the platform's
    font.setFamily(QString::fromStdString(settings.faceName));
    font.setStyleHint(QFont::SansSerif);
    if (settings.pointSize > 0) {
        font.setPointSizeF(settings.pointSize / 10.0);
    }
    return font;
}

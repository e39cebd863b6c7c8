// Fuzz target: arbitrary bytes as the settings window's stored files, "Language.config" (the
// language list in the defaults folder) and "updatetime.config" (the last update date), and as
// the skin choice in "main.ini" and as the language choice in "settings.conf" (nothing or a sound
// choice, and the next write reads back). The readers never fail: the language list gives
// entries of the expected types and an index inside it, and the date the settings window shows
// (LastUpdateDateOrToday, which it calls on opening) is what the date file holds afterwards (a
// broken file is repaired). The window itself is not built for every input: building it costs
// some 50 ms under the sanitizers and reads nothing more of these files; its tests open it over
// broken files.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <QApplication>
#include <QDate>
#include <QDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/Language.h"
#include "platform/AppSettings.h"
#include "platform/Paths.h"
#include "platform/ui/CResourceManager.h"
#include "support/FuzzWorkDir.h"
#include "windows/SkinChoice.h"
#include "windows/UpdateInfo.h"

using namespace q840;

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "settings files: %s\n", what);
    std::abort();
}

void Write(const QString& path, const uint8_t* data, size_t size) {
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "settings_fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
    // A skin choice names a picture of the skin folder in the source tree.
    ui::CResourceManager::GetInstance().SetResourcePath(QStringLiteral(Q840_SOURCE_DIR "/skin/"));
    const QString work = QString::fromStdString(test::FuzzWorkDir().string()) + "/";
    QDir().mkpath(work + "program/DefaultData");
    SetProgramFolder(work + "program/");
    SetUserDataFolder(work + "user/");
    AppSettings::SetConfigFolder(work + "config");
    qputenv("XDG_CONFIG_HOME", (work + "xdg").toUtf8());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Write(DefaultsFolder() + "Language.config", data, size);
    Write(windows::UpdateTimeFilePath(), data, size);
    Write(windows::MainIniPath(), data, size);

    if (const std::optional<windows::SkinChangedParam> skin = windows::ReadSkinChoice()) {
        if (skin->isColour == 0 && skin->image.isEmpty()) {
            Fail("a stored picture without a name");
        }
    }
    windows::SkinChangedParam grid;
    grid.image = QStringLiteral("skins/grid.svg");
    if (!windows::WriteSkinChoice(grid, false) || !windows::ReadSkinChoice() ||
        windows::ReadSkinChoice()->image != grid.image) {
        Fail("main.ini not repaired by the next choice");
    }

    // settings.conf (the language choice): whatever it held, a choice written reads back.
    Write(AppSettings::ConfigFile(), data, size);
    (void)AppSettings::ReadLanguage();
    const uint32_t chosen = 0x0804 + uint32_t(size % 7);
    if (!AppSettings::WriteLanguage(chosen) || AppSettings::ReadLanguage() != chosen) {
        Fail("settings.conf not repaired by the next language choice");
    }

    const std::vector<LanguageEntry> languages = ReadLanguageList();
    const int index = ReadStoredLanguageIndex();
    if (index < 0 || (index > 0 && size_t(index) >= languages.size())) {
        Fail("stored language index outside the list");
    }
    const QString shown =
        windows::LastUpdateDateOrToday(windows::UpdateTimeFilePath(), QDate(2026, 12, 11));
    if (shown.isEmpty()) {
        Fail("no date shown");
    }
    // What the window would show is what the file holds now (a broken file was repaired).
    if (windows::ReadLastUpdateDate(windows::UpdateTimeFilePath()) != shown) {
        Fail("the date file does not hold the date shown");
    }
    return 0;
}

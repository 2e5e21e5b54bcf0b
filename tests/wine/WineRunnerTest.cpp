#include "common/Shell.h"
#include "search/FixedDrives.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// The managers' layouts side by side in one home; every bin/wine in them is a
// recorder. Each program goes to the real shell, as the application sets it up,
// and the record tells which wine started it, with what.
TEST(WineRunner, EachPrefixRunsWithTheWineThatManagesIt)
{
    test::TempConfig config;
    const QString home = config.root();
    const QByteArray recorder =
        "#!/bin/sh\n{ printf '%s\\n' \"$0\" \"$WINEPREFIX\" \"$@\";"
        " echo \"LD=$LD_LIBRARY_PATH DLL=$WINEDLLPATH ORIG=${ORIG_LD_LIBRARY_PATH-unset}\";"
        " } > \"$RECORD.part\"\n"
        "mv \"$RECORD.part\" \"$RECORD\"\n";
    const QString record = home + u"/record"_s;
    // The only test in its process: the environment is not restored.
    qputenv("HOME", home.toLocal8Bit());
    qputenv("PATH", (home + u"/bin:"_s).toLocal8Bit() + qgetenv("PATH"));
    qputenv("RECORD", record.toLocal8Bit());
    for (const char* name : {"XDG_DATA_HOME", "ORIG_LD_LIBRARY_PATH", "WINEDLLPATH"})
        qunsetenv(name);
    qputenv("LD_LIBRARY_PATH", "/old/lib"); // kept behind a build's own folders

    const QString proton = u"$H/steam/steamapps/common/Proton 9.0/files"_s;
    struct Case {
        std::vector<std::pair<QString, QByteArray>> files; // "$H": the home; ".../": a folder
        QString program, wine, command = {}, environment = u"LD=/old/lib DLL= ORIG=unset"_s;
    };
    const Case cases[] = {
        {{{u"config/lutris/games/w3-1.yml"_s,
           "game:\n  prefix: ~/Games/w3\nwine:\n  version: ge-8\n"},
          {u".local/share/lutris/runners/wine/ge-8/bin/wine"_s, {}}},
         u"Games/w3/drive_c/War3.exe"_s,
         u".local/share/lutris/runners/wine/ge-8/bin/wine"_s},
        // Newer Lutris keeps its configuration in its data folder; a version
        // missing from the game comes from the wine runner's configuration.
        {{{u".local/share/lutris/games/vs.yml"_s, "game: {prefix: $H/Games/vs/}\n"},
          {u".local/share/lutris/runners/wine.yml"_s, "wine:\n  version: lutris-7\n"},
          {u".local/share/lutris/runners/wine/lutris-7/bin/wine"_s, {}}},
         u"Games/vs/drive_c/VSClient.exe"_s,
         u".local/share/lutris/runners/wine/lutris-7/bin/wine"_s},
        {{{u".local/share/bottles/bottles/W3/bottle.yml"_s, "Name: W3\nRunner: soda-9\n"},
          {u".local/share/bottles/runners/soda-9/bin/wine"_s, {}}},
         u".local/share/bottles/bottles/W3/drive_c/War3.exe"_s,
         u".local/share/bottles/runners/soda-9/bin/wine"_s},
        // A Flatpak bottle takes the Flatpak runner of that name.
        {{{u".var/app/com.usebottles.bottles/data/bottles/bottles/HF/bottle.yml"_s,
           "Runner: caffe\n"},
          {u".var/app/com.usebottles.bottles/data/bottles/runners/caffe/bin/wine"_s, {}},
          {u".local/share/bottles/runners/caffe/bin/wine"_s, {}}},
         u".var/app/com.usebottles.bottles/data/bottles/bottles/HF/drive_c/GameClient.exe"_s,
         u".var/app/com.usebottles.bottles/data/bottles/runners/caffe/bin/wine"_s},
        {{{u"steam/steamapps/compatdata/7/config_info"_s,
           "9.0-100\n" + proton.toUtf8() + "/share/fonts/\n" + proton.toUtf8() + "/lib/\n"},
          {proton.mid(3) + u"/bin/wine"_s, {}},
          {proton.mid(3) + u"/lib/x86_64-linux-gnu/"_s, {}},
          {proton.mid(3) + u"/lib/wine/"_s, {}}},
         u"steam/steamapps/compatdata/7/pfx/drive_c/AAClientOriginal.exe"_s,
         proton.mid(3) + u"/bin/wine"_s,
         {},
         u"LD=$P/lib/x86_64-linux-gnu:$P/lib:/old/lib DLL=$P/lib/wine ORIG=/old/lib"_s},
        // Flatpak Steam's compatibility tools serve a prefix of another library.
        {{{u"lib2/steamapps/compatdata/9/version"_s, "GE-Proton9-1\n"},
          {u".var/app/com.valvesoftware.Steam/data/Steam/compatibilitytools.d/GE9/proton"_s,
           "CURRENT_PREFIX_VERSION=\"GE-Proton9-1\"\n"},
          {u".var/app/com.valvesoftware.Steam/data/Steam/compatibilitytools.d/GE9/files/bin/wine"_s,
           {}}},
         u"lib2/steamapps/compatdata/9/pfx/drive_c/War3.exe"_s,
         u".var/app/com.valvesoftware.Steam/data/Steam/compatibilitytools.d/GE9/files/bin/wine"_s},
        // Only the prefix version: the build whose proton script declares it.
        {{{u"games/steamapps/compatdata/8/version"_s, "GE-Proton8-25\n"},
          {u".steam/root/compatibilitytools.d/GE-Proton7/proton"_s,
           "CURRENT_PREFIX_VERSION=\"7.0-1\"\n"},
          {u".steam/root/compatibilitytools.d/GE-Proton7/dist/bin/wine"_s, {}},
          {u".steam/root/compatibilitytools.d/GE-Proton8/proton"_s,
           "#!/usr/bin/env python3\nCURRENT_PREFIX_VERSION=\"GE-Proton8-25\"\n"},
          {u".steam/root/compatibilitytools.d/GE-Proton8/dist/bin/wine"_s, {}}},
         u"games/steamapps/compatdata/8/pfx/drive_c/ZmrClient.exe"_s,
         u".steam/root/compatibilitytools.d/GE-Proton8/dist/bin/wine"_s},
        // Broken files, a build that is not there: the system's wine.
        {{{u"config/lutris/games/bad.yml"_s, "game: [prefix: ~/Games/bad\n"},
          {u"Games/bad/bottle.yml"_s, "Runner: {\n"},
          {u"config/lutris/games/gone.yml"_s,
           "game: {prefix: ~/Games/bad}\nwine: {version: gone}\n"},
          {u"bin/wine"_s, {}}},
         u"Games/bad/drive_c/War3.exe"_s,
         u"bin/wine"_s},
        // The override wins, when it names a program.
        {{{u"opt/wine/bin/wine"_s, {}}},
         u"Games/w3/drive_c/War3.exe"_s,
         u"opt/wine/bin/wine"_s,
         u"$H/opt/wine/bin/wine"_s},
        {{},
         u"Games/w3/drive_c/War3.exe"_s,
         u".local/share/lutris/runners/wine/ge-8/bin/wine"_s,
         u"$H/opt/none/wine"_s},
    };
    const auto expand = [&](QString text) {
        return text.replace(u"$P"_s, proton).replace(u"$H"_s, home);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program.toStdString());
        for (const auto& [path, content] : c.files) {
            const QString file = home + u'/' + expand(path);
            if (file.endsWith(u'/'))
                QDir().mkpath(file);
            else if (file.endsWith(u"/wine"_s) && test::writeFile(file, recorder))
                QFile::setPermissions(file, QFile::ReadOwner | QFile::ExeOwner);
            else
                test::writeFile(file, expand(QString::fromUtf8(content)).toUtf8());
        }
        config.writeUserFile("[Wine]\nCommand=" + expand(c.command).toUtf8() + '\n');
        const QString program = home + u'/' + c.program;
        const QString prefix = program.section(u"/drive_c"_s, 0, 0);
        test::writeFile(program, "MZ");
        QFile::remove(record);
        shell().openProgram(program);
        ASSERT_TRUE(test::waitUntil([&] { return QFile::exists(record); }));
        EXPECT_EQ(QString::fromUtf8(test::readFile(record)).split(u'\n', Qt::SkipEmptyParts),
                  QStringList({home + u'/' + c.wine, prefix, program, expand(c.environment)}));
        // The search offers the programs of Lutris's and Bottles' prefixes.
        EXPECT_EQ(wineDriveRoots(home, QString()).contains(prefix + u"/drive_c/"_s),
                  !c.program.contains(u"steamapps"_s));
    }
}

} // namespace
} // namespace verdane

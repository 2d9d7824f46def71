// The About and update-information dialogs, driven through their buttons.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <cctype>

#include "ConfigFixtures.h"
#include "ResourceIds.h"
#include "config/GamesConfig.h"
#include "config/UpdateSection.h"
#include "platform/os/ShellExecute.h"
#include "support/ShellRecorder.h"
#include "support/TestEnvironment.h"
#include "ui/controls/CButtonST.h"
#include "ui/controls/TivoraStatics.h"
#include "ui/dialogs/CAboutDialog.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/dialogs/CUpdateInformation.h"

namespace {

using namespace config_fixtures;
using testing_support::ReadFile;
using testing_support::ShellRecorder;
using testing_support::TempHome;

TEST(AboutDialog, ShowsTheInstallationsBuildAsTheLastVersionNumberRightAligned) {
    GamesConfig config;
    config.LoadGamesConfigData(File({MakeGame("Chess")}, Texts({{"WebmasterVersion", "23"}})));
    EXPECT_EQ(GetDisplayVersion(), "1.0.10.23");

    CAboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.TitleBar()->Caption(), "About");
    EXPECT_TRUE(about.drawPanelFrame);
    // 192 x 101 units and the title bar.
    EXPECT_EQ(about.size(), QSize(DialogUnits::ToPixelsX(192), DialogUnits::ToPixelsY(101) + 18));
    auto* version = qobject_cast<CSimpleStatic*>(about.GetDlgItem(Res::IDC_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(GetControlText(version), "Version: 1.0.10.23");
    EXPECT_EQ(version->alignment, CSimpleStatic::kRight);
    EXPECT_TRUE(about.GetDlgItem(Res::IDC_PRODUCT_NAME)->font().bold());
    EXPECT_TRUE(about.GetDlgItem(Res::IDC_VERSION_LABEL)->isHidden());

    // The icon sits on the dark ground, which shows in its transparent rounded corner.
    QWidget* icon = about.GetDlgItem(Res::IDC_ABOUT_ICON);
    EXPECT_EQ(icon->size(), QSize(32, 32));
    const QImage shot = about.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(icon->geometry().topLeft())), CAboutDialog::kIconGround);

    about.show();
    QTest::mouseClick(about.GetDlgItem(Res::IDOK), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

TEST(UpdateInformation, ShowsTheReleaseLineAndOpensOnlyWebAddresses) {
    struct Case {
        const char* name;
        UpdateManifest manifest;
        int button;
        const char* line;
        std::vector<std::string> opened;
        bool logged;
    };
    const UpdateManifest release{"1.0.11.0", "42", "Faster", "http://127.0.0.1:8080/get",
                                 "2008-03-01"};
    UpdateManifest undated = release;
    undated.date.clear();
    UpdateManifest secure = release;
    secure.url = "https://127.0.0.1/setup?x=1";
    UpdateManifest localFile = release;
    localFile.url = "file:///etc/passwd";
    UpdateManifest script = release;
    script.url = "javascript:alert(1)";
    const Case cases[] = {
        {"dated",
         release,
         Res::IDOK,
         "1.0.11.0.42  (2008-03-01)",
         {"http://127.0.0.1:8080/get"},
         false},
        {"undated", undated, Res::IDOK, "1.0.11.0.42", {"http://127.0.0.1:8080/get"}, false},
        {"https",
         secure,
         Res::IDOK,
         "1.0.11.0.42  (2008-03-01)",
         {"https://127.0.0.1/setup?x=1"},
         false},
        {"skip", release, Res::IDCANCEL, "1.0.11.0.42  (2008-03-01)", {}, false},
        {"local file", localFile, Res::IDOK, "1.0.11.0.42  (2008-03-01)", {}, true},
        {"script", script, Res::IDOK, "1.0.11.0.42  (2008-03-01)", {}, true},
        {"empty manifest", UpdateManifest{}, Res::IDOK, ".", {}, false},
    };
    TempHome home;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShellRecorder browser;
        UpdateSection update;
        update.SetUpdateManifest(c.manifest);
        CUpdateInformation dialog(update);
        EXPECT_EQ(dialog.windowTitle(), "Update Information");
        EXPECT_EQ(dialog.GetDlgItemText(Res::IDC_VERSION), c.line);
        auto* getUpdate = qobject_cast<CButtonST*>(dialog.GetDlgItem(Res::IDOK));
        ASSERT_NE(getUpdate, nullptr);
        // Where the template puts it, 69 pixels wide at the height of the dialog buttons.
        const Rect placed = DialogUnits::ToPixels(43, 85, 50, 14);
        EXPECT_EQ(getUpdate->geometry(), QRect(placed.left, placed.top + 18, 69, 23));
        EXPECT_EQ(getUpdate->Picture(1).size(), QSize(68, 22));

        dialog.show();
        QTest::mouseClick(dialog.GetDlgItem(c.button), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(browser.Parameters(), c.opened);
        if (!c.manifest.url.empty()) {
            const std::string log = ReadFile(home.ErrorLogPath());
            EXPECT_EQ(log.find(c.manifest.url) != std::string::npos, c.logged) << log;
        }
        // Neither button touches the stored announcement.
        EXPECT_EQ(update.GetUpdateManifest(), c.manifest);
    }
}

TEST(DialogTexts, NoVisibleTextCarriesTheOldMisspelling) {
    // The keys and log lines keep it; what the user reads does not.
    for (const DialogTemplate* dialog :
         {&CAboutDialog::Template(), &CUpdateInformation::Template(),
          &CAppSettingsDialog::Template(), &CSettingsDialog::Template(),
          &CFavoritesDialog::Template(), &CMyInfoDialog::Template()}) {
        for (const DialogItem& item : dialog->items) {
            std::string lower = item.text;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            EXPECT_EQ(lower.find("avaliable"), std::string::npos) << item.text;
        }
    }
}

TEST(DialogPlacement, CentredOnTheOwnersScreenAndOnTopWithAnOwnerOnTop) {
    for (bool ownerOnTop : {false, true}) {
        SCOPED_TRACE(ownerOnTop);
        QWidget bar;
        bar.setWindowFlag(Qt::WindowStaysOnTopHint, ownerOnTop);
        bar.setGeometry(10, 10, 357, 46);
        bar.show();
        UpdateSection update;
        CUpdateInformation dialog(update, &bar);
        dialog.show();
        EXPECT_EQ(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint), ownerOnTop);
        EXPECT_EQ(dialog.geometry().center(), bar.screen()->availableGeometry().center());
    }
}

}  // namespace

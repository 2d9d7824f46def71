// The gallery's sheet of the program's dialogs: About, Update Information and the three
// settings pages as they open, over the sample catalogue and stores under the test's home
// (<build>/gallery/program-dialogs.png).
#include <gtest/gtest.h>

#include <QDialog>

#include "support/BarFixtures.h"
#include "support/GallerySheet.h"
#include "support/ModalRecorder.h"
#include "support/SkinTestSupport.h"
#include "ui/dialogs/CAboutDialog.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/dialogs/CUpdateInformation.h"

namespace {

using namespace gallery;
using skin_test::Render;

// The sample catalogue and a user's details.
struct GalleryStores : bar_testing::Stores {
    GalleryStores() {
        games.LoadGamesConfig(TIVORA_BINARY_DIR "/tivora.cfg");
        registration.SetUserInfo("Ann Smith", "ann.smith@example.com");
    }
};

TEST(Gallery, ProgramDialogs) {
    GalleryStores stores;
    Sheet sheet("The program's dialogs: About, Update Information and the three settings pages");
    CAboutDialog about;
    const QImage& aboutShot = sheet.Add("About (192 x 101 units)", Render(about));
    // The icon stands on its dark ground.
    EXPECT_GT(
        skin_test::CountPixels(aboutShot, [](const QColor& c) { return c == QColor(61, 61, 61); }),
        100);
    stores.update.SetUpdateManifest(
        {"1.0.11.0", "42", "Faster start", "http://127.0.0.1/get", "2008-03-01"});
    CUpdateInformation update(stores.update);
    sheet.Add("Update Information (192 x 101 units)", Render(update));
    sheet.NewRow();
    CAppSettingsDialog settings(stores.Parts());
    const char* names[] = {"settings: Application", "settings: Favorites", "settings: My Info"};
    std::vector<QImage> pages;
    for (int page = 0; page < CAppSettingsDialog::kPageCount; ++page) {
        testing_support::ModalRecorder modal;
        modal.onShown = [&](QDialog&) {
            pages.push_back(sheet.Add(names[page], Render(settings)));
        };
        settings.SetActivePage(page);
        settings.DoModal();
    }
    // Each page shows itself, not the one before it.
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_NE(pages[0], pages[1]);
    EXPECT_NE(pages[1], pages[2]);
    ExpectWritten(sheet, "program-dialogs", 600);
}

}  // namespace

// The settings dialog and its three pages over real stores under a temporary home: a
// catalogue file, the settings file, the autostart entry and the registry profile.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "ConfigFixtures.h"
#include "ResourceIds.h"
#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"
#include "config/RegistryStores.h"
#include "config/SettingsSection.h"
#include "config/UpdateSection.h"
#include "config/WindowSection.h"
#include "platform/os/Registry.h"
#include "services/RegistrationJobs.h"
#include "support/BarFixtures.h"
#include "support/ModalRecorder.h"
#include "support/TestEnvironment.h"
#include "ui/controls/CGamesList.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/dialogs/CAppSettingsDialog.h"

namespace {

using namespace config_fixtures;
using testing_support::FileExists;
using testing_support::ModalRecorder;
using testing_support::ReadFile;
using testing_support::TempHome;

struct TopmostCalls : TopmostListener {
    void TopmostChanged(bool alwaysOnTop) override { calls.push_back(alwaysOnTop); }
    std::vector<bool> calls;
};

// The stores of one program run: a catalogue, the settings sections saved together, the
// user-information job, and a count of the settings file's writes.
// The temporary home comes first: everything after it lives in it.
struct Stores : TempHome, bar_testing::Stores {
    TopmostCalls topmost;
    WindowSection::TopmostRegistration topmostHook = window.AddTopmostListener(topmost);

    explicit Stores(const std::vector<CfgPack::GameEntry>& catalogue) { Load(catalogue, Root()); }
    std::vector<std::string> StoredFavorites() const { return FavoriteNames(games); }
};

std::vector<CfgPack::GameEntry> Catalogue(const std::vector<std::string>& others,
                                          const std::vector<std::string>& favorites) {
    std::vector<CfgPack::GameEntry> games;
    for (const std::string& name : others) {
        games.push_back(MakeGame(name));
    }
    for (const std::string& name : favorites) {
        games.push_back(MakeGame(name, Game::FLAG_FAVORITE));
    }
    return games;
}

std::vector<std::string> Names(const CGamesList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        names.push_back(list.GetItemText(i));
    }
    return names;
}

CFavoritesDialog& FavoritesPage(CAppSettingsDialog& dialog) {
    return *static_cast<CFavoritesDialog*>(dialog.Page(CAppSettingsDialog::kFavoritesPage));
}

QLineEdit* Edit(CAppSettingsDialog& dialog, int id) {
    return qobject_cast<QLineEdit*>(dialog.Page(CAppSettingsDialog::kMyInfoPage)->GetDlgItem(id));
}

CButtonST* Check(CAppSettingsDialog& dialog, int id) {
    return qobject_cast<CButtonST*>(
        dialog.Page(CAppSettingsDialog::kApplicationPage)->GetDlgItem(id));
}

void ClickRow(CGamesList& list, int row) {
    Rect rect;
    ASSERT_TRUE(list.GetItemRect(row, rect, CGamesList::kPartText));
    QTest::mouseClick(&list, Qt::LeftButton, {}, rect.ToQRect().center());
}

void ClickButton(QWidget* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Opens the dialog on page, lets act use it while it is shown, and closes it with the
// command of the button close (0: act closes it).
void Open(CAppSettingsDialog& dialog, int page, const std::function<void()>& act,
          int close = Res::IDCANCEL) {
    ModalRecorder modal;
    modal.onShown = [&](QDialog&) {
        dialog.show();
        act();
        if (close != 0) {
            ClickButton(dialog.GetDlgItem(close));
        }
        EXPECT_FALSE(dialog.isVisible());
    };
    dialog.SetActivePage(page);
    dialog.DoModal();
    EXPECT_EQ(modal.ShownDialogs().size(), 1u);
}

TEST(SettingsDialog, TabsAndPagesFollowTheRequestedPageEvenWhileOpen) {
    Stores stores(Catalogue({"Chess"}, {}));
    CAppSettingsDialog dialog(stores.Parts());
    EXPECT_EQ(dialog.windowTitle(), "Tivora Settings");
    // 220 x 139 units and the title bar.
    EXPECT_EQ(dialog.size(), QSize(DialogUnits::ToPixelsX(220), DialogUnits::ToPixelsY(139) + 18));
    CTivoraTabCtrl* tabs = dialog.Tabs();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->GetItemCount(), 3);
    EXPECT_EQ(tabs->GetItemText(0), "Application");
    EXPECT_EQ(tabs->GetItemText(1), "Favorites");
    EXPECT_EQ(tabs->GetItemText(2), "My Info");

    auto shownPages = [&] {
        std::vector<int> shown;
        for (int i = 0; i < CAppSettingsDialog::kPageCount; ++i) {
            if (!dialog.Page(i)->isHidden()) {
                shown.push_back(i);
            }
        }
        return shown;
    };
    Open(dialog, CAppSettingsDialog::kFavoritesPage, [&] {
        EXPECT_EQ(tabs->GetCurSel(), 1);
        EXPECT_EQ(shownPages(), std::vector<int>{1});
        EXPECT_EQ(dialog.Page(1)->parentWidget(), tabs);
        EXPECT_EQ(dialog.Page(1)->geometry(), tabs->GetPageRect().ToQRect());
        auto tip = [&](int id) {
            return qobject_cast<CButtonST*>(dialog.Page(1)->GetDlgItem(id))->TipText();
        };
        EXPECT_EQ(tip(Res::IDC_ADD_FAVORITE), "Click this button to add game to favorites");
        EXPECT_EQ(tip(Res::IDC_REMOVE_FAVORITE), "Click this button to remove game from favorites");
        // A request for another page while open switches to it and opens nothing more.
        dialog.SetActivePage(CAppSettingsDialog::kMyInfoPage);
        EXPECT_EQ(dialog.DoModal(), -1);
        EXPECT_EQ(tabs->GetCurSel(), 2);
        EXPECT_EQ(shownPages(), std::vector<int>{2});
        EXPECT_EQ(dialog.focusWidget(), Edit(dialog, Res::IDC_FULL_NAME));
        // A click on a tab shows its page.
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->TabRect(0).ToQRect().center());
        EXPECT_EQ(shownPages(), std::vector<int>{0});
    });
    // The pages' controls went with the window; the page objects stay.
    EXPECT_EQ(dialog.Page(CAppSettingsDialog::kMyInfoPage)->GetDlgItem(Res::IDC_FULL_NAME),
              nullptr);
    EXPECT_TRUE(dialog.Page(CAppSettingsDialog::kMyInfoPage)->Controls().empty());
    // The page last shown is the one shown next time; an unknown page is the first.
    ModalRecorder modal;
    modal.onShown = [&](QDialog&) { EXPECT_EQ(shownPages(), std::vector<int>{0}); };
    dialog.DoModal();
    dialog.SetActivePage(7);
    modal.onShown = [&](QDialog&) { EXPECT_EQ(tabs->GetCurSel(), 0); };
    dialog.DoModal();
    EXPECT_EQ(modal.ShownDialogs().size(), 2u);
}

TEST(SettingsDialog, CheckBoxTextsStartInOneColumn) {
    Stores stores(Catalogue({"Chess"}, {}));
    CAppSettingsDialog dialog(stores.Parts());
    // Where a box's text begins on the page: its leftmost bright column right of the box
    // picture, which begins at the first bright column.
    auto textStart = [&](int id) {
        CTabPanel* page = dialog.Page(CAppSettingsDialog::kApplicationPage);
        const QRect box = Check(dialog, id)->geometry();
        const QImage image = page->grab().toImage().copy(box);
        const int pictureWidth = LogicalSize(LoadBitmap(Res::IDB_CHECKBOX)).width();
        int picture = -1;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                const QColor pixel = image.pixelColor(x, y);
                if (std::min({pixel.red(), pixel.green(), pixel.blue()}) < 128) {
                    continue;  // the page's dark ground, or a faint edge of a letter
                }
                if (picture < 0) {
                    picture = x;
                }
                if (x >= picture + pictureWidth) {
                    return box.x() + x;
                }
            }
        }
        return -1;
    };
    int onTop = -1;
    int atStartup = -1;
    Open(dialog, CAppSettingsDialog::kApplicationPage, [&] {
        onTop = textStart(Res::IDC_ALWAYS_ON_TOP);
        atStartup = textStart(Res::IDC_RUN_AT_STARTUP);
    });
    EXPECT_GT(onTop, 0);
    // Letters differ in their side bearings by a pixel.
    EXPECT_NEAR(atStartup, onTop, 1);
}

TEST(SettingsDialog, FavouritesMoveByTheButtonsWithinTheLimitOfFour) {
    enum Action { kSelectAll, kSelectFavorite, kAdd, kRemove };
    struct Step {
        Action action;
        int row = 0;
    };
    struct Case {
        const char* name;
        std::vector<std::string> others, favorites;
        std::vector<Step> steps;
        std::vector<std::string> all, favored;
        int allSelected, favoriteSelected;
        bool addEnabled, removeEnabled;
        bool focusOnAll;
    };
    const std::vector<std::string> four{"Chess", "Darts", "Poker", "Sudoku"};
    const std::vector<std::string> nine{"Game 1", "Game 2", "Game 3", "Game 4", "Game 5",
                                        "Game 6", "Game 7", "Game 8", "Game 9"};
    std::vector<std::string> nineAndZeta = nine;
    nineAndZeta.push_back("Zeta");
    // clang-format off
    const Case cases[] = {
        // name; catalogue: others, favourites; steps; lists afterwards: all, favourites;
        // selected rows; add and remove enabled; focus on the all-games list
        {"four favourites block add until one goes", {"Keno"}, four, {{kSelectAll, 0}},
         {"Keno"}, four, 0, 0, false, true, false},
        {"removing one enables add again", {"Keno"}, four, {{kSelectFavorite, 1}, {kRemove}},
         {"Darts", "Keno"}, {"Chess", "Poker", "Sudoku"}, 0, 0, true, true, false},
        {"the only available game moves and stays selected", {"Keno"}, {"Chess"}, {{kAdd}},
         {}, {"Chess", "Keno"}, -1, 1, false, true, true},
        {"removing row 0 selects the new row 0", {}, four, {{kSelectFavorite, 0}, {kRemove}},
         {"Chess"}, {"Darts", "Poker", "Sudoku"}, 0, 0, true, true, false},
        {"removing row 3 selects row 2", {}, four, {{kSelectFavorite, 3}, {kRemove}},
         {"Sudoku"}, {"Chess", "Darts", "Poker"}, 0, 2, true, true, false},
        {"the last favourite goes", {"Keno"}, {"Chess"}, {{kRemove}},
         {"Chess", "Keno"}, {}, 0, -1, true, false, false},
        {"a game moved below the visible rows is scrolled to", nine, {"Zeta"}, {{kRemove}},
         nineAndZeta, {}, 9, -1, true, false, false},
    };
    // clang-format on
    // The selected row of a list lies inside its rows area.
    auto selectionShown = [](const CGamesList& list) {
        Rect row;
        const int selected = list.GetSelectedIndex();
        return selected < 0 || (list.GetItemRect(selected, row, CGamesList::kPartRow) != 0 &&
                                row.top >= 0 && row.bottom <= list.RowsArea().bottom);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stores stores(Catalogue(c.others, c.favorites));
        CAppSettingsDialog dialog(stores.Parts());
        Open(
            dialog, CAppSettingsDialog::kFavoritesPage,
            [&] {
                CFavoritesDialog& page = FavoritesPage(dialog);
                CGamesList& all = *page.AllGames();
                CGamesList& favorites = *page.Favorites();
                for (const Step& step : c.steps) {
                    switch (step.action) {
                        case kSelectAll:
                            ClickRow(all, step.row);
                            break;
                        case kSelectFavorite:
                            ClickRow(favorites, step.row);
                            break;
                        case kAdd:
                            ClickButton(page.GetDlgItem(Res::IDC_ADD_FAVORITE));
                            break;
                        case kRemove:
                            ClickButton(page.GetDlgItem(Res::IDC_REMOVE_FAVORITE));
                            break;
                    }
                }
                EXPECT_EQ(Names(all), c.all);
                EXPECT_EQ(Names(favorites), c.favored);
                EXPECT_EQ(all.GetSelectedIndex(), c.allSelected);
                EXPECT_EQ(favorites.GetSelectedIndex(), c.favoriteSelected);
                EXPECT_EQ(page.GetDlgItem(Res::IDC_ADD_FAVORITE)->isEnabled(), c.addEnabled);
                EXPECT_EQ(page.GetDlgItem(Res::IDC_REMOVE_FAVORITE)->isEnabled(), c.removeEnabled);
                EXPECT_TRUE(selectionShown(all));
                EXPECT_TRUE(selectionShown(favorites));
                if (c.steps.back().action == kAdd || c.steps.back().action == kRemove) {
                    EXPECT_EQ(dialog.focusWidget(), c.focusOnAll
                                                        ? static_cast<QWidget*>(&all)
                                                        : static_cast<QWidget*>(&favorites));
                }
            },
            Res::IDOK);
        EXPECT_EQ(stores.StoredFavorites(), c.favored);
    }
}

TEST(SettingsDialog, EveryWayOutButSaveDropsTheEdits) {
    enum Way { kCancel, kTitleBarClose, kEscapeInPage };
    for (Way way : {kCancel, kTitleBarClose, kEscapeInPage}) {
        SCOPED_TRACE(way);
        Stores stores(Catalogue({"Keno", "Poker"}, {"Chess"}));
        stores.registration.SetUserInfo("Ann Smith", "ann@example.com");
        CAppSettingsDialog dialog(stores.Parts());
        Open(
            dialog, CAppSettingsDialog::kFavoritesPage,
            [&] {
                CFavoritesDialog& page = FavoritesPage(dialog);
                ClickButton(page.GetDlgItem(Res::IDC_ADD_FAVORITE));
                dialog.SetActivePage(CAppSettingsDialog::kMyInfoPage);
                QLineEdit* name = Edit(dialog, Res::IDC_FULL_NAME);
                name->selectAll();
                QTest::keyClicks(name, "Bob");
                // Enter inside a page does nothing.
                QTest::keyClick(name, Qt::Key_Return);
                EXPECT_TRUE(dialog.isVisible());
                switch (way) {
                    case kCancel:
                        ClickButton(dialog.GetDlgItem(Res::IDCANCEL));
                        break;
                    case kTitleBarClose:
                        ClickButton(dialog.TitleBar()->CloseButton());
                        break;
                    case kEscapeInPage:
                        QTest::keyClick(name, Qt::Key_Escape);
                        break;
                }
            },
            0);
        EXPECT_EQ(stores.StoredFavorites(), std::vector<std::string>{"Chess"});
        EXPECT_EQ(stores.registration.GetUserInfo().fullName, "Ann Smith");
        EXPECT_EQ(stores.fileWrites, 0);
        // The next opening shows the stored values again.
        Open(dialog, CAppSettingsDialog::kFavoritesPage, [&] {
            EXPECT_EQ(Names(*FavoritesPage(dialog).Favorites()), std::vector<std::string>{"Chess"});
            EXPECT_EQ(Names(*FavoritesPage(dialog).AllGames()),
                      (std::vector<std::string>{"Keno", "Poker"}));
            EXPECT_EQ(Edit(dialog, Res::IDC_FULL_NAME)->text(), "Ann Smith");
        });
    }
}

// The user-information flag as a written settings file holds it.
int UserInfoSentIn(const std::string& file) {
    bar_testing::Stores read;
    read.storage.ReadSettingsData(file);
    return read.registration.userInfoSent;
}

TEST(SettingsDialog, SaveSendsTheUsersDetailsOnlyWhenTheyChanged) {
    struct Case {
        const char* name;
        const char* fullName;
        const char* email;
        bool changed;
    };
    const Case cases[] = {
        {"unchanged", "Ann Smith", "ann@example.com", false},
        {"new e-mail", "Ann Smith", "ann@example.org", true},
        {"new name", "Ann Smyth", "ann@example.com", true},
        {"only the case of the name", "ann smith", "ann@example.com", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stores stores(Catalogue({"Keno"}, {}));
        stores.registration.SetUserInfo("Ann Smith", "ann@example.com");
        stores.registration.userInfoSent = 1;
        // What each written file says about the details: a crash right after the save made for
        // new details (the last one) must leave them still to be sent.
        std::vector<int> sentAsWritten;
        stores.storage.SetBeforeReplaceHook([&](const std::string& written) {
            ++stores.fileWrites;
            sentAsWritten.push_back(UserInfoSentIn(ReadFile(written)));
        });
        CAppSettingsDialog dialog(stores.Parts());
        Open(
            dialog, CAppSettingsDialog::kMyInfoPage,
            [&] {
                Edit(dialog, Res::IDC_FULL_NAME)->clear();
                QTest::keyClicks(Edit(dialog, Res::IDC_FULL_NAME), c.fullName);
                Edit(dialog, Res::IDC_EMAIL)->clear();
                QTest::keyClicks(Edit(dialog, Res::IDC_EMAIL), c.email);
            },
            Res::IDOK);
        // The favourites are saved on every SAVE; the details add a save of their own.
        EXPECT_EQ(stores.fileWrites, c.changed ? 2 : 1);
        EXPECT_EQ(stores.registration.userInfoSent.load(), c.changed ? 0 : 1);
        ASSERT_EQ(sentAsWritten.size(), c.changed ? 2u : 1u);
        EXPECT_EQ(sentAsWritten.back(), c.changed ? 0 : 1);
        EXPECT_EQ(stores.job.runNow.load(), c.changed);
        RegistrationSection reread;
        reread.LoadCustomData();
        EXPECT_EQ(reread.GetUserInfo().fullName, c.fullName);
        EXPECT_EQ(reread.GetUserInfo().email, c.email);
    }
}

TEST(SettingsDialog, NameAndEmailTakeAtMost250Characters) {
    Stores stores(Catalogue({"Keno"}, {}));
    CAppSettingsDialog dialog(stores.Parts());
    Open(dialog, CAppSettingsDialog::kMyInfoPage, [&] {
        for (int id : {Res::IDC_FULL_NAME, Res::IDC_EMAIL}) {
            QLineEdit* edit = Edit(dialog, id);
            QTest::keyClicks(edit, QString(249, 'a'));
            QTest::keyClicks(edit, "bc");
            EXPECT_EQ(edit->text(), QString(249, 'a') + "b");
        }
    });
}

// Whatever the edits take is sent whole: characters that take more room once encoded for the
// form stop being taken where the encoded text would no longer fit.
TEST(SettingsDialog, NameAndEmailTakeOnlyWhatTheFormCanCarry) {
    const struct {
        const char* name;
        QString character;
        qsizetype kept;
    } cases[] = {
        {"two-byte letters", QString::fromUtf8("\xC3\xA9"), 250},  // 6 bytes encoded
        {"CJK", QString::fromUtf8("\xE4\xB8\xAD"), 231},           // 9 bytes encoded
    };
    Stores stores(Catalogue({"Keno"}, {}));
    CAppSettingsDialog dialog(stores.Parts());
    Open(dialog, CAppSettingsDialog::kMyInfoPage, [&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            for (int id : {Res::IDC_FULL_NAME, Res::IDC_EMAIL}) {
                QLineEdit* edit = Edit(dialog, id);
                edit->clear();
                for (int i = 0; i < 250; ++i) {  // typed: keyClicks knows ASCII only
                    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, c.character,
                                        Qt::NoModifier);
                }
                EXPECT_EQ(edit->text().size(), c.kept);
            }
        }
    });
}

TEST(SettingsDialog, ApplicationPageStoresBothChoicesOnEverySave) {
    Stores stores(Catalogue({"Keno"}, {}));
    const std::string entry = *Registry::AutostartFile(RegistryStores::kRunValue);
    CAppSettingsDialog dialog(stores.Parts());
    auto save = [&](const std::function<void()>& act) {
        Open(dialog, CAppSettingsDialog::kApplicationPage, act, Res::IDOK);
    };
    save([&] {
        EXPECT_EQ(Check(dialog, Res::IDC_ALWAYS_ON_TOP)->GetCheck(), 1);
        EXPECT_EQ(Check(dialog, Res::IDC_RUN_AT_STARTUP)->GetCheck(), 0);
        ClickButton(Check(dialog, Res::IDC_ALWAYS_ON_TOP));
        ClickButton(Check(dialog, Res::IDC_RUN_AT_STARTUP));
    });
    EXPECT_EQ(stores.window.AlwaysOnTop(), 0);
    EXPECT_EQ(stores.topmost.calls, std::vector<bool>{false});
    EXPECT_TRUE(GetRunAtStartup());
    EXPECT_TRUE(FileExists(entry));

    save([&] {
        EXPECT_EQ(Check(dialog, Res::IDC_ALWAYS_ON_TOP)->GetCheck(), 0);
        EXPECT_EQ(Check(dialog, Res::IDC_RUN_AT_STARTUP)->GetCheck(), 1);
        ClickButton(Check(dialog, Res::IDC_RUN_AT_STARTUP));
    });
    EXPECT_EQ(stores.topmost.calls, (std::vector<bool>{false, false}));
    EXPECT_FALSE(FileExists(entry));
    EXPECT_FALSE(FileExists(stores.ErrorLogPath()));

    // An autostart folder that cannot be made: the dialog still closes, the log says where
    // and why.
    std::filesystem::remove_all(stores.ConfigHome() + "/autostart");
    testing_support::WriteFile(stores.ConfigHome() + "/autostart", "not a folder");
    save([&] { ClickButton(Check(dialog, Res::IDC_RUN_AT_STARTUP)); });
    const std::string log = ReadFile(stores.ErrorLogPath());
    EXPECT_NE(log.find("Unable to write the autostart entry " + entry + ": "), std::string::npos)
        << log;
}

TEST(SettingsDialog, ASettingsFileThatCannotBeWrittenIsLoggedWithItsPath) {
    Stores stores(Catalogue({"Keno"}, {"Chess"}));
    const std::string file = stores.AppDataFolder() + "/tivora.sts";
    std::filesystem::create_directories(file);  // a folder where the file should be
    CAppSettingsDialog dialog(stores.Parts());
    Open(
        dialog, CAppSettingsDialog::kFavoritesPage, [] {}, Res::IDOK);
    const std::string log = ReadFile(stores.ErrorLogPath());
    EXPECT_NE(log.find("ERROR: Unable to save settings file\n"), std::string::npos) << log;
    EXPECT_NE(log.find(file), std::string::npos) << log;
}

}  // namespace

#include "ui/dialogs/SettingsPages.h"

#include <QLabel>
#include <QLineEdit>
#include <QValidator>
#include <vector>

#include "ResourceIds.h"
#include "app/ErrorLog.h"
#include "app/TextTable.h"
#include "config/RegistryStores.h"
#include "config/Settings.h"
#include "platform/os/Registry.h"
#include "services/FormPoster.h"
#include "services/Services.h"
#include "ui/controls/CGamesList.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/WindowStyles.h"

namespace {

// Makes the label the field's buddy: an assistive technology names the field by it.
void NameByLabel(int labelId, QWidget* field, const TemplateDialog& page) {
    if (auto* label = qobject_cast<QLabel*>(page.GetDlgItem(labelId)); label != nullptr) {
        label->setBuddy(field);
    }
}

// The page area of the settings dialog's tab control, in dialog units.
constexpr int kPageWidth = 210;
constexpr int kPageHeight = 105;

// The details are sent as form values: a character whose encoding would no longer fit one is
// not taken, so that what the user typed is what the server gets. (Three-byte characters
// reach the limit before the 250 characters do.)
class FormValueValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return FormPoster::EncodedSize(input.toStdString()) <= FormPoster::kMaxEncodedValue
                   ? Acceptable
                   : Invalid;
    }
};

}  // namespace

SettingsStores SettingsStores::Process() {
    Settings& settings = GetSettings();
    return {settings.gamesConfig, settings.window, settings.registration, GetUserInfoJob()};
}

// --- Application ------------------------------------------------------------------------

CSettingsDialog::CSettingsDialog(SettingsStores stores, QWidget* parent)
    : CTabPanel(parent), stores_(stores) {}

const DialogTemplate& CSettingsDialog::Template() {
    using namespace WindowStyles;
    static const DialogTemplate kTemplate{
        Res::IDD_APPLICATION_PAGE,
        "Application",
        kPageWidth,
        kPageHeight,
        {
            {"TivoraCheckbox", "Always on top", Res::IDC_ALWAYS_ON_TOP, 7, 8, 61, 10,
             BS_AUTOCHECKBOX | WS_TABSTOP},
            // The desktop's autostart entry stands for the system's start-up list here. A box's
            // text is centred in the room right of its picture: the box is as wide as its text
            // needs, like the one above, so that both texts begin in one column.
            {"TivoraCheckbox", "Launch at startup", Res::IDC_RUN_AT_STARTUP, 7, 22, 72, 10,
             BS_AUTOCHECKBOX | WS_TABSTOP},
        },
    };
    return kTemplate;
}

void CSettingsDialog::InitPage() {
    if (auto* onTop = qobject_cast<CButtonST*>(GetDlgItem(Res::IDC_ALWAYS_ON_TOP))) {
        onTop->SetCheck(stores_.window.AlwaysOnTop() != 0 ? 1 : 0);
    }
    if (auto* startup = qobject_cast<CButtonST*>(GetDlgItem(Res::IDC_RUN_AT_STARTUP))) {
        startup->SetCheck(GetRunAtStartup() ? 1 : 0);
    }
}

void CSettingsDialog::Save() {
    auto* onTop = qobject_cast<CButtonST*>(GetDlgItem(Res::IDC_ALWAYS_ON_TOP));
    auto* startup = qobject_cast<CButtonST*>(GetDlgItem(Res::IDC_RUN_AT_STARTUP));
    if (onTop == nullptr || startup == nullptr) {
        return;
    }
    stores_.window.SetAlwaysOnTop(onTop->GetCheck() != 0 ? 1 : 0);
    const bool runAtStartup = startup->GetCheck() != 0;
    const RunAtStartupResult result = SetRunAtStartup(runAtStartup);
    if (!result.done) {
        const std::string entry =
            Registry::AutostartFile(RegistryStores::kRunValue).value_or("(no autostart folder)");
        LogError(std::string(runAtStartup ? "Unable to write" : "Unable to remove") +
                 " the autostart entry " + entry + ": " + result.why);
    }
}

// --- Favorites --------------------------------------------------------------------------

CFavoritesDialog::CFavoritesDialog(SettingsStores stores, QWidget* parent)
    : CTabPanel(parent),
      stores_(stores),
      images_(GamesConfig::kImageSize, GamesConfig::kImageSize) {
    // The template names the list's class: it must be known before the page is built.
    CGamesList::RegisterWindowClass();
}

const DialogTemplate& CFavoritesDialog::Template() {
    using namespace WindowStyles;
    static const DialogTemplate kTemplate{
        Res::IDD_FAVORITES_PAGE,
        "Favorites",
        kPageWidth,
        kPageHeight,
        {
            {"TivoraStatic", "Available Games", Res::IDC_AVAILABLE_HEADER, 2, 3, 61, 11},
            {CGamesList::kClassName, "", Res::IDC_ALL_GAMES_LIST, 2, 11, 78, 92, WS_TABSTOP},
            {"TivoraCustomButton", "", Res::IDC_ADD_FAVORITE, 82, 38, 46, 14, WS_TABSTOP},
            {"TivoraCustomButton", "", Res::IDC_REMOVE_FAVORITE, 82, 54, 46, 14, WS_TABSTOP},
            {"TivoraStatic", "Favorite Games", Res::IDC_FAVORITES_HEADER, 130, 3, 58, 11},
            // A system list view in the template; the page puts a games list in its place.
            {"SysListView32", "", Res::IDC_FAVORITES_LIST, 130, 11, 78, 92, WS_TABSTOP},
        },
    };
    return kTemplate;
}

std::map<int, ControlMaker> CFavoritesDialog::PageMakers() const {
    return {{Res::IDC_FAVORITES_LIST, MakerFor<CGamesList>()}};
}

CGamesList* CFavoritesDialog::AllGames() const {
    return qobject_cast<CGamesList*>(GetDlgItem(Res::IDC_ALL_GAMES_LIST));
}

CGamesList* CFavoritesDialog::Favorites() const {
    return qobject_cast<CGamesList*>(GetDlgItem(Res::IDC_FAVORITES_LIST));
}

void CFavoritesDialog::InitPage() {
    CGamesList* all = AllGames();
    CGamesList* favorites = Favorites();
    if (all == nullptr || favorites == nullptr) {
        return;
    }
    images_ = stores_.games.GetGameImages();
    all->SetImageList(&images_);
    favorites->SetImageList(&images_);
    // The buttons' words are in their pictures: their names say them.
    if (auto* add = qobject_cast<CTivoraCustomButton*>(GetDlgItem(Res::IDC_ADD_FAVORITE))) {
        add->Setup(Res::IDB_ADD_HOT, Res::IDB_ADD,
                   QString::fromStdString(GetText("favorites.buttons.add.tooltip")));
        add->setAccessibleName(QStringLiteral("Add"));
    }
    if (auto* remove = qobject_cast<CTivoraCustomButton*>(GetDlgItem(Res::IDC_REMOVE_FAVORITE))) {
        remove->Setup(Res::IDB_REMOVE_HOT, Res::IDB_REMOVE,
                      QString::fromStdString(GetText("favorites.buttons.remove.tooltip")));
        remove->setAccessibleName(QStringLiteral("Remove"));
    }
    // Each list is named by the header above it.
    NameByLabel(Res::IDC_AVAILABLE_HEADER, all, *this);
    NameByLabel(Res::IDC_FAVORITES_HEADER, favorites, *this);
    // Filled at once: row by row, a catalogue of thousands would take seconds.
    std::vector<GamesListItem> allRows;
    std::vector<GamesListItem> favoriteRows;
    for (auto games = stores_.games.CreateFullIterator(); games->HasNext();) {
        const Game& game = games->Next();
        GamesListItem row;
        row.text = game.name;
        row.image = stores_.games.GetImageIndex(game);
        (game.isFavorite ? favoriteRows : allRows).push_back(std::move(row));
    }
    all->SetItems(std::move(allRows));
    favorites->SetItems(std::move(favoriteRows));
    all->SetSelectedIndex(0);
    favorites->SetSelectedIndex(0);
    UpdateButtons();
}

void CFavoritesDialog::UpdateButtons() {
    CGamesList* all = AllGames();
    CGamesList* favorites = Favorites();
    if (QWidget* remove = GetDlgItem(Res::IDC_REMOVE_FAVORITE)) {
        remove->setEnabled(favorites->GetItemCount() > 0);
    }
    if (QWidget* add = GetDlgItem(Res::IDC_ADD_FAVORITE)) {
        add->setEnabled(all->GetItemCount() > 0 && favorites->GetItemCount() < kMaxFavorites);
    }
}

void CFavoritesDialog::OnPageCommand(int id) {
    CGamesList* all = AllGames();
    CGamesList* favorites = Favorites();
    if (all == nullptr || favorites == nullptr) {
        return;
    }
    if (id == Res::IDC_ADD_FAVORITE) {
        Move(*all, *favorites);
    } else if (id == Res::IDC_REMOVE_FAVORITE) {
        Move(*favorites, *all);
    }
}

void CFavoritesDialog::Move(CGamesList& from, CGamesList& to) {
    const int selected = from.GetSelectedIndex();
    if (selected < 0) {
        return;
    }
    GamesListItem row;
    row.index = selected;
    if (from.GetItem(row) == 0) {
        return;
    }
    row.selected = 1;
    to.EnsureVisible(to.InsertItem(row));
    from.DeleteItem(selected);
    if (from.GetItemCount() > 0) {
        const int previous = selected > 0 ? selected - 1 : 0;
        from.SetSelectedIndex(previous);
        from.EnsureVisible(previous);
    }
    UpdateButtons();
    from.setFocus(Qt::OtherFocusReason);
}

void CFavoritesDialog::Save() {
    CGamesList* favorites = Favorites();
    if (favorites == nullptr) {
        return;
    }
    std::vector<std::string> names;
    for (int i = 0; i < favorites->GetItemCount(); ++i) {
        names.push_back(favorites->GetItemText(i));
    }
    stores_.games.SetFavoritesAndSave(names);
}

// --- My Info ----------------------------------------------------------------------------

CMyInfoDialog::CMyInfoDialog(SettingsStores stores, QWidget* parent)
    : CTabPanel(parent), stores_(stores) {}

const DialogTemplate& CMyInfoDialog::Template() {
    using namespace WindowStyles;
    static const DialogTemplate kTemplate{
        Res::IDD_MY_INFO_PAGE,
        "My Info",
        kPageWidth,
        kPageHeight,
        {
            {"TivoraStatic", "Full Name", Res::IDC_FULL_NAME_LABEL, 7, 6, 64, 8},
            {"ToolbarEdit", "", Res::IDC_FULL_NAME, 7, 14, 121, 14, ES_AUTOHSCROLL | WS_TABSTOP},
            {"TivoraStatic", "Email Address", Res::IDC_EMAIL_LABEL, 7, 31, 75, 8},
            {"ToolbarEdit", "", Res::IDC_EMAIL, 7, 39, 121, 14, ES_AUTOHSCROLL | WS_TABSTOP},
        },
    };
    return kTemplate;
}

void CMyInfoDialog::InitPage() {
    const RegistrationSection::UserInfo info = stores_.registration.GetUserInfo();
    for (int id : {Res::IDC_FULL_NAME, Res::IDC_EMAIL}) {
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id))) {
            edit->setMaxLength(kMaxLength);
            edit->setValidator(new FormValueValidator(edit));
        }
    }
    NameByLabel(Res::IDC_FULL_NAME_LABEL, GetDlgItem(Res::IDC_FULL_NAME), *this);
    NameByLabel(Res::IDC_EMAIL_LABEL, GetDlgItem(Res::IDC_EMAIL), *this);
    SetDlgItemText(Res::IDC_FULL_NAME, info.fullName);
    SetDlgItemText(Res::IDC_EMAIL, info.email);
}

void CMyInfoDialog::Save() {
    const RegistrationSection::UserInfo stored = stores_.registration.GetUserInfo();
    const std::string fullName = GetDlgItemText(Res::IDC_FULL_NAME);
    const std::string email = GetDlgItemText(Res::IDC_EMAIL);
    if (fullName == stored.fullName && email == stored.email) {
        return;
    }
    // Cleared before the save: the file must never say that new details were sent.
    stores_.registration.SetUserInfo(fullName, email);
    stores_.registration.userInfoSent = 0;
    stores_.registration.RequestSave();
    stores_.userInfoJob.RequestRun();
}

#pragma once

#include "platform/os/ImageList.h"
#include "ui/dialogs/CTabPanel.h"

class CButtonST;
class CGamesList;
class GamesConfig;
class Job;
class RegistrationSection;
class WindowSection;

// What the settings pages read and write.
struct SettingsStores {
    GamesConfig& games;
    WindowSection& window;
    RegistrationSection& registration;
    Job& userInfoJob;  // sends the user's details; told to run after they change

    // The process-wide settings and the worker's user-information job.
    static SettingsStores Process();
};

// "Application": always on top, and starting with the desktop session.
class CSettingsDialog : public CTabPanel {
    Q_OBJECT
public:
    explicit CSettingsDialog(SettingsStores stores, QWidget* parent = nullptr);
    static const DialogTemplate& Template();
    void Save() override;

protected:
    const DialogTemplate& PageTemplate() const override { return Template(); }
    void InitPage() override;

private:
    SettingsStores stores_;
};

// "Favorites": every game in one of two lists, the available games and at most four
// favourites, moved between them with the add and remove buttons.
class CFavoritesDialog : public CTabPanel {
    Q_OBJECT
public:
    static constexpr int kMaxFavorites = 4;

    explicit CFavoritesDialog(SettingsStores stores, QWidget* parent = nullptr);
    static const DialogTemplate& Template();
    void Save() override;

    CGamesList* AllGames() const;
    CGamesList* Favorites() const;

protected:
    const DialogTemplate& PageTemplate() const override { return Template(); }
    std::map<int, ControlMaker> PageMakers() const override;
    void InitPage() override;
    void OnPageCommand(int id) override;

private:
    void UpdateButtons();
    void Move(CGamesList& from, CGamesList& to);

    SettingsStores stores_;
    ImageList images_;
};

// "My Info": the user's full name and e-mail address, sent to the server when they change.
class CMyInfoDialog : public CTabPanel {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 250;

    explicit CMyInfoDialog(SettingsStores stores, QWidget* parent = nullptr);
    static const DialogTemplate& Template();
    void Save() override;

protected:
    const DialogTemplate& PageTemplate() const override { return Template(); }
    void InitPage() override;

private:
    SettingsStores stores_;
};

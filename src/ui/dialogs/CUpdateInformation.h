#pragma once

#include <string>

#include "config/UpdateManifest.h"
#include "ui/controls/CTivoraDialog.h"

class UpdateSection;

// The release line of the update dialog: "version.build", then two spaces and "(date)" when
// there is a date.
std::string ReleaseLine(const UpdateManifest& manifest);

// "Update Information": announces the stored release; GET UPDATE opens its address in the
// browser, SKIP just closes. Neither changes the settings.
class CUpdateInformation : public CTivoraDialog {
    Q_OBJECT
public:
    static constexpr int kGetUpdateWidth = 69;

    // Reads the release from the process-wide settings.
    explicit CUpdateInformation(QWidget* parent = nullptr);
    explicit CUpdateInformation(const UpdateSection& update, QWidget* parent = nullptr);

    static const DialogTemplate& Template();
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void setVisible(bool visible) override;

    const std::string& DownloadUrl() const { return downloadUrl_; }

private:
    const UpdateSection& update_;
    std::string downloadUrl_;
};

#pragma once

#include <QColor>
#include <string>

#include "ui/controls/DialogTemplate.h"

// A page of a tabbed dialog: a child of the tab control, built from its own template, with a
// grey gradient ground. Enter inside a page does nothing; Escape goes to the owner as the
// cancel command. The owner asks every page to check its input, then to store it.
class CTabPanel : public TemplateDialog {
    Q_OBJECT
public:
    static inline const QColor kTop{67, 67, 67};
    static inline const QColor kBottom{91, 91, 91};

    explicit CTabPanel(QWidget* parent = nullptr);

    // Makes the page's controls from its template as a child of host and reads the stored
    // values into them.
    void Create(QWidget* host);
    // Deletes the page's controls; the page object stays for the next Create.
    void DestroyWindow();
    bool IsCreated() const { return created_; }

    // Whether the input can be stored; error says why not.
    virtual bool Validate(std::string& error);
    // Stores the page's input.
    virtual void Save() = 0;

    void OnCommand(int id) override;

protected:
    virtual const DialogTemplate& PageTemplate() const = 0;
    virtual std::map<int, ControlMaker> PageMakers() const { return {}; }
    // Reads the stored values into the controls; runs at every opening.
    virtual void InitPage() = 0;
    // A command of one of the page's own controls.
    virtual void OnPageCommand(int id) { (void)id; }

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool created_ = false;
};

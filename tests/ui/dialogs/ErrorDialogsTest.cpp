#include "ui/dialogs/ErrorDialogs.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <new>
#include <stdexcept>
#include <system_error>

#include "LaunchTestSupport.h"
#include "ResourceIds.h"
#include "app/Exceptions.h"
#include "app/TopLevelHandler.h"
#include "platform/os/ProcessObjects.h"
#include "support/ModalRecorder.h"
#include "support/ShellRecorder.h"
#include "support/TestEnvironment.h"
#include "ui/controls/CStaticLink.h"
#include "ui/dialogs/Links.h"

namespace {

using testing_support::ModalRecorder;
using testing_support::TempHome;

// The one error line of the log without its time stamp.
std::string LoggedLine(const TempHome& home) {
    std::string log = testing_support::ReadFile(home.ErrorLogPath());
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    std::string::size_type stamp = log.find("] ");
    return stamp == std::string::npos ? log : log.substr(stamp + 2);
}

std::string ErrorTextOf(QDialog& dialog) {
    auto* internal = qobject_cast<CInternalErrorDialog*>(&dialog);
    return internal == nullptr ? std::string() : internal->ErrorText();
}

struct HandlerRun {
    TempHome home;
    ModalRecorder modal;
    DialogErrorPresenter presenter;
    std::vector<std::string> errorTexts;

    int Run(const std::function<int()>& body) {
        modal.onShown = [this](QDialog& dialog) { errorTexts.push_back(ErrorTextOf(dialog)); };
        return RunWithTopLevelHandler(body, presenter);
    }
};

TEST(TopLevelHandler, NormalRunReturnsItsOwnCodeAndShowsNothing) {
    HandlerRun run;
    EXPECT_EQ(run.Run([] { return 7; }), 7);
    EXPECT_TRUE(run.modal.ShownDialogs().empty());
    EXPECT_FALSE(testing_support::FileExists(run.home.ErrorLogPath()));
}

TEST(TopLevelHandler, FrameworkErrorIsLoggedAndShownInTheInternalErrorDialog) {
    HandlerRun run;
    EXPECT_EQ(run.Run([]() -> int { throw FrameworkException("cannot open file"); }), 0);
    EXPECT_EQ(LoggedLine(run.home), "ERROR: MFC error: cannot open file\n");
    ASSERT_EQ(run.modal.ShownDialogs().size(), 1u);
    EXPECT_EQ(run.modal.ShownDialogs()[0].className, "CInternalErrorDialog");
    EXPECT_EQ(run.modal.ShownDialogs()[0].title, "Tivora Internal Error");
    EXPECT_EQ(run.errorTexts[0], "cannot open file");
}

// Of the standard exceptions only resource failures are the framework's; the others are the
// program's own logic errors, which it did not expect any more than anything else.
TEST(TopLevelHandler, StandardExceptionIsAFrameworkErrorOnlyWhenAResourceFailed) {
    const struct {
        const char* name;
        std::function<int()> body;
        std::string line;
        std::string shown;
    } cases[] = {
        {"out of memory", []() -> int { throw std::bad_alloc(); }, "MFC error: std::bad_alloc",
         "std::bad_alloc"},
        {"system refusal",
         []() -> int {
             throw std::system_error(std::make_error_code(std::errc::too_many_files_open),
                                     "cannot open file");
         },
         "MFC error: cannot open file: Too many open files",
         "cannot open file: Too many open files"},
        {"logic error", []() -> int { throw std::logic_error("past the last game"); },
         "Unknown error", TopLevel::kUnhandledText},
        {"index out of range", []() -> int { throw std::out_of_range("index"); }, "Unknown error",
         TopLevel::kUnhandledText},
        {"other runtime error", []() -> int { throw std::runtime_error("odd"); }, "Unknown error",
         TopLevel::kUnhandledText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            HandlerRun run;
            EXPECT_EQ(run.Run(c.body), 0);
            EXPECT_EQ(LoggedLine(run.home), "ERROR: " + c.line + "\n");
            EXPECT_EQ(run.errorTexts, std::vector<std::string>{c.shown});
        }
        ProcessObjects::DestroyAll();  // the next case logs into its own folder
    }
}

TEST(TopLevelHandler, FrameworkMessageIsCutToTheBufferOfTheOriginal) {
    HandlerRun run;
    std::string longText(1000, 'x');
    run.Run([&]() -> int { throw FrameworkException(longText); });
    EXPECT_EQ(run.errorTexts[0].size(), 699u);
    EXPECT_EQ(LoggedLine(run.home), "ERROR: MFC error: " + std::string(699, 'x') + "\n");
}

TEST(TopLevelHandler, ConfigurationErrorShowsOnlyTheMessageBox) {
    HandlerRun run;
    EXPECT_EQ(run.Run([]() -> int {
        throw ConfigurationException("Games configuration file doesn't exist");
    }),
              0);
    EXPECT_EQ(LoggedLine(run.home),
              "ERROR: Configuration error: Games configuration file doesn't exist\n");
    ASSERT_EQ(run.modal.ShownDialogs().size(), 1u);
    const auto& box = run.modal.ShownDialogs()[0];
    EXPECT_EQ(box.className, "QMessageBox");
    EXPECT_EQ(box.title, "Tivora");
    EXPECT_EQ(box.text,
              "Configuration file doesn't exist or has an invalid format. Try to reinstall the "
              "application.\nDescription: Games configuration file doesn't exist");
}

TEST(TopLevelHandler, ApplicationErrorShowsTheInternalErrorDialog) {
    HandlerRun run;
    EXPECT_EQ(run.Run([]() -> int { throw PathUtils::Exception("Unable to append paths"); }), 0);
    EXPECT_EQ(LoggedLine(run.home), "ERROR: Application error: Unable to append paths\n");
    ASSERT_EQ(run.modal.ShownDialogs().size(), 1u);
    EXPECT_EQ(run.modal.ShownDialogs()[0].className, "CInternalErrorDialog");
    EXPECT_EQ(run.errorTexts[0], "Unable to append paths");
}

TEST(TopLevelHandler, VersionErrorIsAnApplicationError) {
    HandlerRun run;
    run.Run([]() -> int { throw VersionUtils::Exception("Unable to get file version info"); });
    EXPECT_EQ(LoggedLine(run.home), "ERROR: Application error: Unable to get file version info\n");
}

TEST(TopLevelHandler, AnythingElseIsAnUnknownError) {
    HandlerRun run;
    EXPECT_EQ(run.Run([]() -> int { throw 42; }), 0);
    EXPECT_EQ(LoggedLine(run.home), "ERROR: Unknown error\n");
    EXPECT_EQ(run.errorTexts, (std::vector<std::string>{"Unhandled internal exception"}));
}

TEST(CInternalErrorDialog, ClickHereShowsTheErrorTextInTheErrorReport) {
    TempHome home;
    ModalRecorder modal;
    std::string reportText;
    modal.onShown = [&](QDialog& dialog) {
        if (auto* report = qobject_cast<CErrorReportDialog*>(&dialog)) {
            auto* edit = qobject_cast<QPlainTextEdit*>(report->GetDlgItem(Res::IDC_ERROR_REPORT));
            ASSERT_NE(edit, nullptr);
            EXPECT_TRUE(edit->isReadOnly());
            reportText = edit->toPlainText().toStdString();
        }
    };
    CInternalErrorDialog dialog("Unable to create application data path\r\nsecond line");
    dialog.show();
    auto* link = qobject_cast<CStaticLink*>(dialog.GetDlgItem(Res::IDC_ERROR_LINK));
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->Url().empty());
    QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(modal.ShownDialogs().size(), 1u);
    EXPECT_EQ(modal.ShownDialogs()[0].title, "Error Report");
    EXPECT_EQ(reportText, "Unable to create application data path\nsecond line");
    EXPECT_TRUE(dialog.isVisible());  // the link leaves the dialog open
}

TEST(CInternalErrorDialog, LayoutOfItsTemplate) {
    CInternalErrorDialog dialog("x");
    EXPECT_EQ(dialog.size(), QSize(327, 127));
    EXPECT_EQ(dialog.GetDlgItemText(Res::IDC_ERROR_BAND), "");
    EXPECT_EQ(dialog.GetDlgItemText(Res::IDC_ERROR_HEADING), "Internal error has occured.");
    EXPECT_EQ(dialog.GetDlgItem(Res::IDC_ERROR_HEADING)->font().weight(), QFont::Bold);
    EXPECT_EQ(dialog.GetDlgItem(Res::IDC_ERROR_BAND)->geometry(), QRect(0, 0, 326, 39));
    EXPECT_EQ(dialog.GetDlgItemText(Res::IDOK), "Close");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
}

TEST(CInternalErrorDialog, WhiteBandWithAnEtchedLineUnderIt) {
    CInternalErrorDialog dialog("x");
    dialog.show();
    QImage image = dialog.grab().toImage();
    EXPECT_EQ(image.pixel(300, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(300, 38), qRgb(255, 255, 255));
    // The band ends at 39; the line is the two rows below the first row under it.
    EXPECT_EQ(image.pixel(100, 40), dialog.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(100, 41), dialog.palette().color(QPalette::Midlight).rgb());
    EXPECT_EQ(image.pixel(100, 39), dialog.palette().color(QPalette::Window).rgb());
}

TEST(CInternalErrorDialog, CloseEndsTheDialog) {
    CInternalErrorDialog dialog("x");
    dialog.show();
    QTest::mouseClick(dialog.GetDlgItem(Res::IDOK), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(OpenAddressOnClick, ALinkOpensItsAddressPlainlyAndWithoutOneNothing) {
    testing_support::ShellRecorder shell;
    CStaticLink link(QStringLiteral("click here."));
    link.resize(80, 16);
    OpenAddressOnClick(link);
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_TRUE(shell.calls.empty());

    link.SetUrl("http://www.tivora.example/update");
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(shell.Parameters(), std::vector<std::string>{"http://www.tivora.example/update"});
}

}  // namespace

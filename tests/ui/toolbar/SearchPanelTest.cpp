#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QTest>
#include <QWidget>
#include <thread>

#include "ConfigFixtures.h"
#include "DemoServer.h"
#include "LaunchTestSupport.h"
#include "ResourceIds.h"
#include "config/WindowSection.h"
#include "platform/net/UrlUtils.h"
#include "support/BarFixtures.h"
#include "ui/controls/BalloonTip.h"
#include "ui/toolbar/SearchPanel.h"

namespace {

using config_fixtures::MakeGame;
using config_fixtures::Texts;
using testing_support::ShellRecorder;

const std::string kPrefix = SEARCH_BASE_URL "/search/search.php?Terms=";

// The panel made on a bar-sized parent over a catalogue whose affiliate code is code (none
// when empty).
struct Bar : testing_support::TempHome, bar_testing::Stores {
    bar_testing::BarWindow parent;
    SearchPanel panel{games, window};

    explicit Bar(const std::string& code, SizeMode size = SizeMode::Normal) {
        Load({MakeGame("A")}, Root(),
             Texts({{"NuvexaCode", code.empty() ? std::nullopt : std::optional(code)}}));
        window.SetSize(size);
        parent.handler = [this](int id) { return panel.OnCommand(id); };
        EXPECT_TRUE(panel.Create(&parent));
    }
};

// Types text key by key (QTest's own typing knows only ASCII).
void Type(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

TEST(SearchBox, EnterAndTheButtonOpenTheSameEncodedSearchAndKeepTheText) {
    const struct {
        std::string typed;
        std::string code;
        std::string expected;  // the opened address
        std::string kept;      // the box's text afterwards
    } cases[] = {
        {"cards", "77", kPrefix + "cards&affiliate=77", "cards"},
        {"cards", "", kPrefix + "cards", "cards"},
        {"", "77", SEARCH_HOME_URL, ""},
        // Reserved characters stay part of the query; the code cannot be overridden.
        {"AT&T", "77", kPrefix + "AT%26T&affiliate=77", "AT&T"},
        {"x&affiliate=1 y", "", kPrefix + "x%26affiliate%3D1%20y", "x&affiliate=1 y"},
        {"caf\xC3\xA9", "", kPrefix + "caf%C3%A9", "caf\xC3\xA9"},
        // The 66th character and later are refused.
        {std::string(70, 'q'), "", kPrefix + std::string(65, 'q'), std::string(65, 'q')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed + " / " + c.code);
        Bar bar(c.code);
        CSearchStringEdit* edit = bar.panel.Edit();
        ASSERT_NE(edit, nullptr);
        Type(edit, QString::fromStdString(c.typed));
        ShellRecorder recorder;
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(edit->text().toStdString(), c.kept);  // Enter typed nothing
        QTest::keyClick(edit, Qt::Key_Enter);
        QTest::mouseClick(bar.panel.Button(), Qt::LeftButton);
        EXPECT_EQ(recorder.Parameters(), std::vector<std::string>(3, c.expected));
        EXPECT_EQ(edit->text().toStdString(), c.kept);
    }
}

TEST(SearchBox, PlacedInNormalSizeOnlyAndDestroyedWithThePanel) {
    Bar normal("");
    ASSERT_NE(normal.panel.Edit(), nullptr);
    ASSERT_NE(normal.panel.Button(), nullptr);
    EXPECT_EQ(normal.panel.Edit()->geometry(), QRect(115, 3, 165, 18));
    EXPECT_EQ(normal.panel.Button()->geometry(), QRect(283, 2, 60, 21));
    EXPECT_EQ(GetDlgCtrlID(normal.panel.Edit()), Res::IDC_SEARCH_EDIT);
    EXPECT_EQ(GetDlgCtrlID(normal.panel.Button()), Res::IDC_SEARCH_BUTTON);
    EXPECT_TRUE(normal.panel.Edit()->isVisibleTo(&normal.parent));
    normal.panel.Destroy();
    EXPECT_EQ(normal.panel.Edit(), nullptr);
    EXPECT_TRUE(normal.parent.findChildren<QWidget*>().isEmpty());
    // The button with no edit left searches nothing.
    ShellRecorder recorder;
    EXPECT_TRUE(normal.panel.OnCommand(Res::IDC_SEARCH_BUTTON));
    EXPECT_TRUE(recorder.calls.empty());
    // Nor does it take the commands of other controls.
    EXPECT_FALSE(normal.panel.OnCommand(Res::IDC_SETTINGS_BUTTON));

    Bar mini("", SizeMode::Mini);
    EXPECT_EQ(mini.panel.Edit(), nullptr);
    EXPECT_EQ(mini.panel.Button(), nullptr);
    EXPECT_TRUE(mini.parent.findChildren<QWidget*>().isEmpty());
}

TEST(SearchBox, BalloonSaysWhatTheBoxIsForUntilClicked) {
    Bar bar("");
    CSearchStringEdit* edit = bar.panel.Edit();
    bar.parent.show();
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit, &help);
    ASSERT_NE(BalloonTip::Shown(), nullptr);
    EXPECT_EQ(BalloonTip::Shown()->Text(), "Type your query here");
    EXPECT_EQ(BalloonTip::Shown()->Owner(), edit);
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(BalloonTip::Shown(), nullptr);
}

// The search service of the demo server reads back exactly what was typed.
TEST(SearchBox, DemoServerShowsTheDecodedTerms) {
    DemoServer server({}, {}, [](const std::string&) {});
    const int port = testing_support::UnusedPort();
    ASSERT_TRUE(server.Bind("127.0.0.1", port));
    std::thread serving([&server] { server.Listen(); });
    // Stop only reaches a server that listens already.
    if (!testing_support::WaitFor([&server] { return server.IsListening(); })) {
        serving.detach();
        FAIL() << "the demo server did not start";
    }
    const std::string typed = "AT&T = <b> caf\xC3\xA9";
    std::optional<UrlUtils::Url> url =
        UrlUtils::Parse(CSearchStringEdit::SearchAddress(QString::fromUtf8(typed.c_str()), "77"));
    ASSERT_TRUE(url);
    httplib::Client client("127.0.0.1", port);
    auto page = client.Get(url->object);
    server.Stop();
    serving.join();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("<span id=\"terms\">AT&amp;T = &lt;b&gt; caf\xC3\xA9</span>"),
              std::string::npos)
        << page->body;
    EXPECT_NE(page->body.find("<span id=\"affiliate\">77</span>"), std::string::npos);
}

}  // namespace

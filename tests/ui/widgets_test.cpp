#include "ui/digits_edit.h"
#include "ui/file_dialog.h"
#include "ui/interval_timer.h"
#include "ui/message_boxes.h"
#include "ui/text_label.h"

#include "qt_test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zelvor {
namespace {

using namespace Qt::StringLiterals;
using testing::PumpFor;
using testing::PumpUntil;

TEST(DigitsEditTest, TypedCharactersOtherThanDigitsAndMinusAreDropped) {
    DigitsEdit edit;
    edit.show();
    QTest::keyClicks(&edit, u"1a .-9x"_s);
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, u"２"_s, Qt::NoModifier);
    EXPECT_EQ(edit.text(), u"1-9");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), u"1-");
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), u"-");

    // Pasted text is taken as it stands.
    QApplication::clipboard()->setText(u"abc"_s);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), u"abc-");
}

// Records the presses that reach it past its child.
class PressRecorder : public QWidget {
  public:
    int presses = 0;

  protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

struct Press {
    int x, y, modifiers;
};

class TextLabelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent.resize(300, 100);
        label.setGeometry(10, 10, 200, 40);
        label.SetPressHandler([this](int x, int y, int modifiers) {
            presses.push_back({x, y, modifiers});
            return answer;
        });
        parent.show();
    }

    PressRecorder parent;
    TextLabel label{&parent};
    std::vector<Press> presses;
    std::optional<bool> answer;
};

TEST_F(TextLabelTest, LeftPressesReachTheHandlerWithPlaceAndModifiers) {
    QTest::mousePress(&label, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, {7, 9});
    QTest::mouseRelease(&label, Qt::LeftButton, {}, {7, 9});
    QTest::mouseClick(&label, Qt::LeftButton, Qt::ShiftModifier, {1, 2});
    QTest::mouseClick(&label, Qt::RightButton, {}, {1, 2});
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].x, 7);
    EXPECT_EQ(presses[0].y, 9);
    EXPECT_EQ(presses[0].modifiers, 1 + 4);
    EXPECT_EQ(presses[1].modifiers, 2);
}

TEST_F(TextLabelTest, FalseKeepsThePressFromTheLabelsOwnHandling) {
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(parent.presses, 1);
    answer = true;
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(parent.presses, 2);
    answer = false;
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(parent.presses, 2);
}

TEST_F(TextLabelTest, ADoubleClickIsOnePress) {
    QWindow* window = parent.windowHandle();
    const QPoint at = label.mapTo(&parent, QPoint(5, 5));
    QTest::mouseDClick(window, Qt::LeftButton, {}, at);
    EXPECT_EQ(presses.size(), 1u);
}

// The rightmost column the label paints into; -1 when it paints nothing.
int InkRight(TextLabel& label, const QString& text) {
    label.SetText(text);
    QImage image(label.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    label.render(&image, {}, {}, QWidget::DrawChildren);
    for (int x = image.width() - 1; x >= 0; --x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return x;
            }
        }
    }
    return -1;
}

TEST_F(TextLabelTest, DrawsPlainTextOnlyWithAmpersandsAsShortcutMarks) {
    EXPECT_EQ(InkRight(label, {}), -1);  // no background of its own
    const int x = InkRight(label, u"x"_s);
    EXPECT_GE(x, 0);
    EXPECT_EQ(InkRight(label, u"&x"_s), x);
    EXPECT_GT(InkRight(label, u"&&x"_s), x);
    EXPECT_GT(InkRight(label, u"<b>x</b>"_s), InkRight(label, u"x</b>"_s));
}

TEST(IntervalTimerTest, NegativeIsZeroAndZeroStops) {
    IntervalTimer timer;
    QSignalSpy ticks(&timer, &IntervalTimer::Tick);
    EXPECT_EQ(timer.Interval(), 0);
    EXPECT_EQ(timer.RemainingTime(), -1);

    timer.SetInterval(5);
    EXPECT_TRUE(PumpUntil([&] { return ticks.size() >= 2; }));
    timer.SetInterval(-7);
    EXPECT_EQ(timer.Interval(), 0);
    EXPECT_EQ(timer.RemainingTime(), -1);
    ticks.clear();
    PumpFor(50);
    EXPECT_EQ(ticks.size(), 0);
}

TEST(IntervalTimerTest, SameIntervalKeepsThePeriodAndAnotherRestartsIt) {
    IntervalTimer timer;
    timer.SetInterval(60'000);
    PumpFor(100);
    const int left = timer.RemainingTime();
    timer.SetInterval(60'000);
    EXPECT_LE(timer.RemainingTime(), left);
    EXPECT_LT(timer.RemainingTime(), 59'950);

    timer.SetInterval(90'000);
    EXPECT_GT(timer.RemainingTime(), 89'000);

    std::atomic<bool> done = false;
    std::thread worker([&] {
        timer.SetInterval(30'000);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(timer.Interval(), 30'000);
    EXPECT_GT(timer.RemainingTime(), 29'000);
}

TEST(FileDialogTest, NextFileNameStandsInForTheUser) {
    QWidget owner;
    FileDialog dialog(&owner);
    dialog.Values().fileName = u"kept.txt"_s;
    dialog.SetNextFileName({});
    EXPECT_FALSE(dialog.Show());
    EXPECT_EQ(dialog.Values().fileName, u"kept.txt");

    dialog.SetNextFileName(u"/tmp/贴吧.txt"_s);
    EXPECT_TRUE(dialog.Show());
    EXPECT_EQ(dialog.Values().fileName, u"/tmp/贴吧.txt");
}

TEST(FileDialogTest, FilterPairsBecomeNameFilters) {
    struct Case {
        QString filter;
        QStringList expected;
    };
    const Case cases[] = {
        {u"文本文档(*.txt)|*.txt"_s, {u"文本文档(*.txt) (*.txt)"_s}},
        {u"文本|*.txt;*.log|全部|*.*"_s, {u"文本 (*.txt *.log)"_s, u"全部 (*.*)"_s}},
        {{}, {}},
        {u"没有模式"_s, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NameFilters(c.filter), c.expected) << c.filter.toStdString();
    }
}

TEST(MessageBoxesTest, NextAnswerShowsNoBoxAndTheLastBoxIsNoted) {
    QWidget owner;
    owner.show();
    MessageBoxes boxes(&owner);
    boxes.SetNextAnswer(false);
    EXPECT_FALSE(boxes.Ask(u"确定？"_s, u"提示"_s));
    boxes.SetNextAnswer(true);
    EXPECT_TRUE(boxes.Ask(u"真的？"_s, u"提示"_s));
    EXPECT_EQ(boxes.LastText(), u"真的？");
    boxes.SetNextAnswer(true);
    boxes.Inform(u"不显示"_s, u"标题"_s);
    EXPECT_EQ(boxes.LastTitle(), u"标题");
    EXPECT_EQ(owner.findChild<QMessageBox*>(), nullptr);

    std::atomic<bool> done = false;
    bool answer = false;
    boxes.SetNextAnswer(true);
    std::thread worker([&] {
        answer = boxes.Ask(u"来自线程"_s, u"提示"_s);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(answer);
    EXPECT_EQ(boxes.LastText(), u"来自线程");

    // Without an answer the information box opens and the call returns at once.
    boxes.Inform(u"<b>此功能尚未完成</b>"_s, u"提示"_s);
    auto* box = owner.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    box->accept();
    EXPECT_TRUE(PumpUntil([&] { return owner.findChild<QMessageBox*>() == nullptr; }));
}

}  // namespace
}  // namespace zelvor

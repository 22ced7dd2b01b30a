#include "app/window/notice_banner.h"

#include "app/window/main_window.h"
#include "app/window/maker.h"

#include <QFontMetrics>
#include <QUrl>

namespace zelvor {
namespace {

constexpr int kScrollInterval = 300;
const QString kScrollGap = QStringLiteral("        ");

}  // namespace

Notice BuiltInNotice() {
    return {"欢迎使用Zelvor贴吧用户采集器【免费版】！本软件永久免费，谨防上当受骗。",
            MakerSite().toStdString()};
}

NoticeBanner::NoticeBanner(MainWindow& window) : window_(window) {}

NoticeBanner::~NoticeBanner() {
    cancel_ = true;
    if (reader_.joinable()) {
        reader_.join();
    }
}

void NoticeBanner::Load(const std::string& url, const HttpTimeouts& timeouts) {
    Show(BuiltInNotice());
    if (url.empty()) {
        emit Settled();
        return;
    }
    reader_ = std::thread([this, url, timeouts] {
        std::optional<Notice> notice = ReadNotice(url, timeouts, &cancel_);
        // Delivered on the window's thread; dropped unread if the banner is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, notice = std::move(notice)] {
                if (notice) {
                    Show(*notice);
                }
                emit Settled();
            },
            Qt::QueuedConnection);
    });
}

void NoticeBanner::Show(Notice notice) {
    notice_ = std::move(notice);
    text_ = QString::fromStdString(notice_.text);
    offset_ = 0;
    TextLabel* label = window_.透明标签_公告();
    const bool wider = label->fontMetrics().horizontalAdvance(text_) > label->width();
    if (wider) {
        text_ += kScrollGap;
    }
    label->SetText(VisibleText());
    window_.时钟_公告()->SetInterval(wider ? kScrollInterval : 0);
}

void NoticeBanner::Tick() {
    if (text_.isEmpty()) {
        return;
    }
    // One code point at a time, so an emoji is never cut in half.
    offset_ += text_[offset_].isHighSurrogate() && offset_ + 1 < text_.size() ? 2 : 1;
    if (offset_ >= text_.size()) {
        offset_ = 0;
    }
    window_.透明标签_公告()->SetText(VisibleText());
}

QString NoticeBanner::VisibleText() const {
    QString shown = text_.mid(offset_) + text_.left(offset_);
    // The label reads "&" as a shortcut mark; the notice is plain text.
    return shown.replace(u'&', QStringLiteral("&&"));
}

void NoticeBanner::Press() {
    if (!notice_.link.empty()) {
        window_.OpenWebAddress(QUrl(QString::fromStdString(notice_.link)));
    }
}

}  // namespace zelvor

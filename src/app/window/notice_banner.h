#pragma once

#include "notice/notice.h"
#include "web/http_request.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <string>
#include <thread>

namespace zelvor {

class MainWindow;

// The maker's notice in 透明标签_公告. Our own notice stands until the maker's arrives, and stays
// when none can be read; 时钟_公告 scrolls a notice wider than the banner.
class NoticeBanner : public QObject {
    Q_OBJECT

  public:
    explicit NoticeBanner(MainWindow& window);
    ~NoticeBanner() override;  // abandons a read in progress within about a second

    // Shows our own notice, then reads the notice file at url on a thread of its own; an empty
    // url reads nothing. Call once.
    void Load(const std::string& url, const HttpTimeouts& timeouts);
    void Tick();
    // Opens the notice's link, if it has one.
    void Press();

    const Notice& Current() const { return notice_; }

  signals:
    // The read has ended, with the maker's notice shown or without.
    void Settled();

  private:
    void Show(Notice notice);
    QString VisibleText() const;

    MainWindow& window_;
    Notice notice_;
    QString text_;          // the notice with the gap that parts its scrolling copies
    qsizetype offset_ = 0;  // where the shown text starts in text_, at a code point
    std::atomic<bool> cancel_{false};
    std::thread reader_;
};

// Our own notice, for when the maker's cannot be read.
Notice BuiltInNotice();

}  // namespace zelvor

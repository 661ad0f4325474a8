#include "platform/engine/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

namespace engine {

FindBar::FindBar(QWebEnginePage *page, QWidget *parent) : QWidget(parent), m_page(page) {
    setObjectName(u"findBar"_qs);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(u"検索:"_qs, this));
    m_field = new QLineEdit(this);
    layout->addWidget(m_field, 1);
    auto *previous = new QToolButton(this);
    previous->setText(u"前へ"_qs);
    auto *next = new QToolButton(this);
    next->setText(u"次へ"_qs);
    auto *close = new QToolButton(this);
    close->setText(u"×"_qs);
    m_status = new QLabel(this);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_status);
    layout->addWidget(close);
    connect(m_field, &QLineEdit::returnPressed, this, &FindBar::FindNext);
    connect(next, &QToolButton::clicked, this, &FindBar::FindNext);
    connect(previous, &QToolButton::clicked, this, &FindBar::FindPrevious);
    connect(close, &QToolButton::clicked, this, &QWidget::close);
}

void FindBar::FindNext() {
    Search(false);
}
void FindBar::FindPrevious() {
    Search(true);
}

void FindBar::Search(bool backward) {
    const QWebEnginePage::FindFlags flags =
        backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags{};
    QPointer<FindBar> self(this);
    m_page->findText(m_field->text(), flags, [self](const QWebEngineFindTextResult &result) {
        if (self)
            self->ShowResult(result);
    });
}

void FindBar::ShowResult(const QWebEngineFindTextResult &result) {
    m_matches = result.numberOfMatches();
    m_status->setText(m_matches ? u"%1 / %2"_qs.arg(result.activeMatch()).arg(m_matches)
                                : u"見つかりません"_qs);
    emit Found(m_matches);
}

void FindBar::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        m_page->findText(QString()); // clears the highlight
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace engine

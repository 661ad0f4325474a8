#pragma once
// The control's find bar: a search field with next and previous; Esc closes it.

#include <QWidget>

class QLineEdit;
class QLabel;
class QWebEnginePage;
class QWebEngineFindTextResult;

namespace engine {

class FindBar final : public QWidget {
    Q_OBJECT
public:
    FindBar(QWebEnginePage *page, QWidget *parent);
    FindBar(const FindBar &) = delete;
    FindBar &operator=(const FindBar &) = delete;

    QLineEdit *Field() const { return m_field; }
    void FindNext();
    void FindPrevious();
    // Matches of the last search (0 when nothing was found).
    int Matches() const { return m_matches; }

signals:
    void Found(int matches);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Search(bool backward);
    void ShowResult(const QWebEngineFindTextResult &result);

    QWebEnginePage *m_page = nullptr;
    QLineEdit *m_field = nullptr;
    QLabel *m_status = nullptr;
    int m_matches = 0;
};

} // namespace engine

#pragma once
// The main window's status bar: a row of fixed-width panels, one of which takes the width left
// over, and owner-drawn panels that paint through a hook.

#include <QStatusBar>
#include <QWidget>

#include <functional>
#include <vector>

class QPainter;

class TStatusPanel final : public QWidget {
    Q_OBJECT
public:
    enum class TPanelStyle { Text, OwnerDraw };

    TStatusPanel(int width, TPanelStyle style, QWidget *parent);
    TStatusPanel(const TStatusPanel &) = delete;
    TStatusPanel &operator=(const TStatusPanel &) = delete;

    int Width() const { return FWidth; }
    // Moves the panels after this one; the stretching panel's width is the bar's to set.
    void SetWidth(int width);
    TPanelStyle Style() const { return FStyle; }
    const QString &Text() const { return FText; }
    void SetText(const QString &text);
    // The area inside the panel's bevel, in panel coordinates; owner drawing happens there.
    QRect ContentRect() const;

    // Paints an owner-drawn panel after its background was filled; unassigned: left empty.
    std::function<void(QPainter &, const QRect &)> OnDrawPanel;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    friend class TStatusBar;

    int FWidth = 0;
    TPanelStyle FStyle = TPanelStyle::Text;
    QString FText;
};

class TStatusBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget *parent);
    TStatusBar(const TStatusBar &) = delete;
    TStatusBar &operator=(const TStatusBar &) = delete;

    TStatusPanel *AddPanel(int width, TStatusPanel::TPanelStyle style);
    int PanelCount() const { return static_cast<int>(FPanels.size()); }
    TStatusPanel *Panel(int index) const { return FPanels.at(static_cast<size_t>(index)); }
    // The panel that takes the bar's width minus the widths of all other panels (never below 0)
    // while the bar is shown; until then it keeps the width it was added with.
    void SetStretchPanel(int index);
    // Keeps `widget` (a child of this bar) over panel `index`: one pixel inside the bar's top and
    // bottom edges and the panel's right edge, re-placed whenever the panels move.
    void PlaceOver(QWidget *widget, int index);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    friend class TStatusPanel;

    struct TOverlay {
        QWidget *Widget = nullptr;
        int Index = 0;
    };
    void LayoutPanels();

    std::vector<TStatusPanel *> FPanels; // children of this bar
    std::vector<TOverlay> FOverlays;
    int FStretchPanel = -1;
};

#pragma once
// An image list: pictures of one size, addressed by index, carrying a component name.

#include <QIcon>
#include <QList>
#include <QObject>
#include <QSize>

class TImageList final : public QObject {
    Q_OBJECT
public:
    TImageList(const QSize &size, QObject *parent) : QObject(parent), FSize(size) {}
    TImageList(const TImageList &) = delete;
    TImageList &operator=(const TImageList &) = delete;

    QSize Size() const { return FSize; }
    int Count() const { return static_cast<int>(FImages.size()); }
    // Returns the index of the added picture.
    int Add(const QIcon &icon) {
        FImages.append(icon);
        return Count() - 1;
    }
    // An empty icon for an index outside the list.
    QIcon At(int index) const { return FImages.value(index); }

private:
    QSize FSize;
    QList<QIcon> FImages;
};

#pragma once
// Auto-completion of the address box: a text beginning with "/" completes against the file
// system, anything else against the box's own list of visited addresses. Both ignore case.

#include <QObject>

class QComboBox;
class QCompleter;
class QFileSystemModel;

class TAddressCompletion final : public QObject {
    Q_OBJECT
public:
    // Installs the completion on box; the object becomes the box's child.
    static TAddressCompletion *Install(QComboBox &box);

    TAddressCompletion(const TAddressCompletion &) = delete;
    TAddressCompletion &operator=(const TAddressCompletion &) = delete;

    QCompleter &Completer() const { return *FCompleter; }

private:
    explicit TAddressCompletion(QComboBox &box);
    void FollowText(const QString &text);

    QComboBox &FBox;
    QFileSystemModel *FFiles = nullptr; // child
    QCompleter *FCompleter = nullptr;   // child
};

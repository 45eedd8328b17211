#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

enum class AddDlgFieldKind : int
{
    Text = 0,   // acceptable when not empty
    Number = 1, // a whole number from 1 to 2147483647
};

// One labelled line edit of the dialog, as the caller describes it.
struct AddDlgField
{
    AddDlgFieldKind Kind = AddDlgFieldKind::Text;
    QString Label;
    QLineEdit* Edit = nullptr; // set in the dialog's own copy; not owned
    QStringList Refused;       // texts the field must not contain
};

// Asks for a new named value: one line edit per field, OK enabled only while
// every field holds acceptable input. The caller reads the texts from Fields
// once exec() has returned Accepted.
class AddDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddDlg)

public:
    AddDlg(QWidget* parent, const QString& title, const QList<AddDlgField>& fields);
    ~AddDlg() override;

    QList<AddDlgField> Fields;
    QPushButton* OkButton = nullptr;

public slots:
    void OnTextEdit();

private:
    QString RefusalOf(const AddDlgField& field) const;

    QLabel* m_refusal = nullptr;
};

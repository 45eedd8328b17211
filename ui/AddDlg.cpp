#include "AddDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

bool IsAcceptable(const AddDlgField& field)
{
    const QString text = field.Edit->text();
    switch (field.Kind) {
    case AddDlgFieldKind::Text:
        return !text.isEmpty();
    case AddDlgFieldKind::Number: {
        bool ok = false;
        const int value = text.toInt(&ok, 10);
        return ok && value >= 1;
    }
    }
    return true;
}

} // namespace

AddDlg::AddDlg(QWidget* parent, const QString& title, const QList<AddDlgField>& fields)
    : QDialog(parent)
    , Fields(fields)
{
    setWindowTitle(title);
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout;
    auto* form = new QFormLayout;
    for (AddDlgField& field : Fields) {
        field.Edit = new QLineEdit;
        if (field.Kind == AddDlgFieldKind::Number) {
            const QRegularExpression digits(QStringLiteral("^[1-9]+[0-9]*$"));
            field.Edit->setValidator(new QRegularExpressionValidator(digits, this));
        }
        connect(field.Edit, SIGNAL(textChanged(QString)), this, SLOT(OnTextEdit()));
        form->addRow(field.Label, field.Edit);
    }
    layout->addLayout(form, 0);

    m_refusal = new QLabel;
    m_refusal->setWordWrap(true);
    m_refusal->hide();
    layout->addWidget(m_refusal);

    auto* buttons = new QDialogButtonBox;
    OkButton = new QPushButton(QStringLiteral("OK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    buttons->addButton(OkButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    connect(buttons, SIGNAL(accepted()), this, SLOT(accept()));
    connect(buttons, SIGNAL(rejected()), this, SLOT(reject()));
    OkButton->setEnabled(false);
    layout->addWidget(buttons, 0);
    setLayout(layout);
}

AddDlg::~AddDlg() = default;

QString AddDlg::RefusalOf(const AddDlgField& field) const
{
    QStringList found;
    for (const QString& refused : field.Refused) {
        if (field.Edit->text().contains(refused))
            found << refused;
    }
    if (found.isEmpty())
        return QString();
    QString name = field.Label;
    if (name.endsWith(u':'))
        name.chop(1);
    return QStringLiteral("%1 cannot contain %2.").arg(name, found.join(QStringLiteral(" or ")));
}

void AddDlg::OnTextEdit()
{
    bool enabled = true;
    QStringList refusals;
    for (const AddDlgField& field : Fields) {
        const QString refusal = RefusalOf(field);
        field.Edit->setToolTip(refusal);
        if (!refusal.isEmpty())
            refusals << refusal;
        if (enabled && (!IsAcceptable(field) || !refusal.isEmpty()))
            enabled = false;
    }
    m_refusal->setText(refusals.join(u'\n'));
    m_refusal->setVisible(!refusals.isEmpty());
    if (OkButton)
        OkButton->setEnabled(enabled);
}

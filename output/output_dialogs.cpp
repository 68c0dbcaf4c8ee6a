#include "output/output_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <memory>

#include "app/messages.h"
#include "dialogs/tovral_area.h"

namespace {
const QString kJpegFilter = QStringLiteral("Imagem JPEG (*.jpg)");
const QString kJpegSuffix = QStringLiteral("jpg");

class TSystemOutputDialogs : public QObject, public TOutputDialogs {
public:
    explicit TSystemOutputDialogs(QObject *parent) : QObject(parent) {}

    bool ChooseArea(QWidget *owner, const QString &question, bool &visibleAreaOnly) override
    {
        Q_UNUSED(owner); // the area chooser is a window of its own, created once
        formArea->SetQuestion(question);
        if (formArea->exec() != QDialog::Accepted)
            return false;
        visibleAreaOnly = formArea->VisibleAreaOnly();
        return true;
    }

    QString ChooseSaveFile(QWidget *owner) override
    {
        QFileDialog dialog(owner);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(kJpegFilter);
        dialog.setDefaultSuffix(kJpegSuffix);
        // Overwriting is confirmed by the dialog itself (its default). A typed path into a
        // folder that does not exist is refused and the question asked again.
        while (dialog.exec() == QDialog::Accepted) {
            const QString path = dialog.selectedFiles().value(0);
            if (path.isEmpty())
                continue;
            const QFileInfo file(path);
            if (file.absoluteDir().exists())
                return path;
            ShowErrorMessage(owner, QStringLiteral("A pasta %1 não existe.")
                                        .arg(QDir::toNativeSeparators(file.absolutePath())));
        }
        return QString();
    }

    bool ChoosePrinter(QWidget *owner) override
    {
        QPrintDialog dialog(&Printer(), owner);
        return dialog.exec() == QDialog::Accepted;
    }

    QPrinter &Printer() override
    {
        // Made on first use: finding the printers can take a moment.
        if (!FPrinter)
            FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *FPrinter;
    }

private:
    std::unique_ptr<QPrinter> FPrinter;
};
} // namespace

TOutputDialogs *CreateSystemOutputDialogs(QObject *parent)
{
    return new TSystemOutputDialogs(parent);
}

#pragma once

#include <QPrinter>
#include <QStringList>
#include <optional>

#include "output/output_dialogs.h"

// Answers the questions of saving and printing from what the test set, and records what was
// asked. The printer writes a PDF file.
class TAnsweredOutputDialogs : public TOutputDialogs {
public:
    // The area answer: true "Apenas a área visível", false "Todo o mapa", empty: cancelled.
    std::optional<bool> Area = true;
    QString FileName;           // "": the save dialog is cancelled
    bool ConfirmPrinter = true; // false: the print dialog is cancelled
    QStringList AreaQuestions;
    int FileQuestions = 0;
    int PrinterQuestions = 0;
    QPrinter PdfPrinter{QPrinter::HighResolution};

    explicit TAnsweredOutputDialogs(const QString &pdfPath)
    {
        PdfPrinter.setOutputFormat(QPrinter::PdfFormat);
        PdfPrinter.setOutputFileName(pdfPath);
        PdfPrinter.setPageSize(QPageSize(QPageSize::A4));
        PdfPrinter.setPageOrientation(QPageLayout::Portrait);
        PdfPrinter.setFullPage(true); // the printable area is the whole page
    }

    bool ChooseArea(QWidget *, const QString &question, bool &visibleAreaOnly) override
    {
        AreaQuestions << question;
        if (Area)
            visibleAreaOnly = *Area;
        return Area.has_value();
    }
    QString ChooseSaveFile(QWidget *) override
    {
        ++FileQuestions;
        return FileName;
    }
    bool ChoosePrinter(QWidget *) override
    {
        ++PrinterQuestions;
        return ConfirmPrinter;
    }
    QPrinter &Printer() override { return PdfPrinter; }
};

#pragma once

#include "printing/PrintDevices.h"

#include <QList>
#include <QStringList>
#include <vector>

namespace quelto::test {

// Keeps every document it is given, on a page of a fixed printable size.
class RecordingCanvas : public printing::PrintCanvas
{
public:
    QSizeF size{190, 280};
    bool fails = false;
    QString printer = QStringLiteral("Label Printer");
    QString file; // set: the pages go to this file
    QList<int> copies;
    std::vector<printing::PrintDocument> documents;
    QStringList titles;

    void setCopies(int n) override { copies << n; }
    QSizeF printableSize() const override { return size; }
    QString printerName() const override { return file.isEmpty() ? printer : QString(); }
    bool print(const printing::PrintDocument& document, const QString& title) override
    {
        if (fails)
            return false;
        documents.push_back(document);
        titles << title;
        return true;
    }
    QString outputFile() const override { return file; }
};

// The printer dialog and the preview answered in advance: copies or
// cancelled; printed from the preview or closed.
class ScriptedChooser : public printing::PrinterChooser
{
public:
    explicit ScriptedChooser(RecordingCanvas& canvas) : m_canvas(canvas) {}

    std::optional<int> answer = 1;
    bool printFromPreview = false;
    int asked = 0;
    std::vector<printing::PrintDocument> previews;
    QStringList previewTitles;

    std::optional<int> choose(QWidget*) override
    {
        ++asked;
        return answer;
    }
    bool preview(QWidget*, const QString& title, const printing::PageSource& pages) override
    {
        previews.push_back(pages(m_canvas));
        previewTitles << title;
        return printFromPreview && m_canvas.print(pages(m_canvas), title);
    }

private:
    RecordingCanvas& m_canvas;
};

// Puts both doubles into the devices and returns them.
inline std::pair<RecordingCanvas*, ScriptedChooser*> useDoubles(printing::PrintDevices& devices)
{
    auto canvas = std::make_unique<RecordingCanvas>();
    auto chooser = std::make_unique<ScriptedChooser>(*canvas);
    std::pair result{canvas.get(), chooser.get()};
    devices.replace(std::move(canvas), std::move(chooser));
    return result;
}

} // namespace quelto::test

#pragma once

#include "printing/PrintDevices.h"

#include <QList>
#include <vector>

namespace quelto::test {

// Keeps every document it is given, on a page of a fixed printable height.
class RecordingCanvas : public printing::PrintCanvas
{
public:
    double height = 280;
    bool fails = false;
    int resets = 0;
    QList<int> copies;
    std::vector<printing::PrintDocument> documents;

    void reset() override { ++resets; }
    void setCopies(int n) override { copies << n; }
    double printableHeight() const override { return height; }
    bool print(const printing::PrintDocument& document) override
    {
        if (fails)
            return false;
        documents.push_back(document);
        return true;
    }
};

// The printer dialog answered in advance: copies, or cancelled.
class ScriptedChooser : public printing::PrinterChooser
{
public:
    std::optional<int> answer = 1;
    int asked = 0;

    std::optional<int> choose(QWidget*) override
    {
        ++asked;
        return answer;
    }
};

// Puts both doubles into the devices and returns them.
inline std::pair<RecordingCanvas*, ScriptedChooser*> useDoubles(printing::PrintDevices& devices)
{
    auto canvas = std::make_unique<RecordingCanvas>();
    auto chooser = std::make_unique<ScriptedChooser>();
    std::pair result{canvas.get(), chooser.get()};
    devices.replace(std::move(canvas), std::move(chooser));
    return result;
}

} // namespace quelto::test

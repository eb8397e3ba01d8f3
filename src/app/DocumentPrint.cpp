// Printing a document: every page, one a sheet, with the last settings the user accepted for it.
#include "app/Document.h"

#include "app/CompositionPrintView.h"
#include "model/Composition.h"
#include "model/UserDefaults.h"
#include "shell/CanvasWindowController.h"

#include <QPrinter>

void Document::setUpPrintView() { printView_ = std::make_unique<CompositionPrintView>(); }

PrintSettings Document::printInfo() const
{
    PrintSettings settings = PrintSettings::fromArchive(documentPrintInfo_).value_or(PrintSettings{});
    settings.orientation = UserDefaults::instance().pageLayoutPageOrientation() == 1 ? QPageLayout::Landscape
                                                                                        : QPageLayout::Portrait;
    return settings;
}

bool Document::shouldChangePrintInfo(const PrintSettings& settings)
{
    UserDefaults::instance().setPageLayoutPageOrientation(settings.orientation == QPageLayout::Landscape ? 1 : 0);
    return true;
}

void Document::printDocument()
{
    setUpPrintView();
    std::vector<std::shared_ptr<Composition>> pages;
    CanvasWindowController* window = exportWindow();
    if (window)
        for (const auto& model : window->tabModels())
            if (auto page = std::dynamic_pointer_cast<Composition>(model->representedObject()))
                pages.push_back(page);
    printView_->setCompositions(std::move(pages));

    const PrintSettings settings = PrintSettings::fromArchive(printInfoData).value_or(printInfo());
    QPrinter printer(QPrinter::HighResolution);
    settings.applyTo(printer);
    // Four pixels a point: sharp on paper, and the shadows and layers rasterised for it stay small.
    printer.setResolution(288);
    printer.setDocName(displayName());
    printer.setFromTo(0, 0);
    QWidget* parent = window ? window->windowWidget() : nullptr;
    if (!pf::sinkOf<PrintPanelSinks>().print(printer, parent)) {
        printOperationDidRun(false, settings);
        return;
    }
    // The panel may have changed the paper: the layout follows what prints.
    printer.setFullPage(true);
    const PrintSettings chosen = PrintSettings::of(printer);
    printView_->prepareWithPrintInfo(chosen);
    printOperationDidRun(printView_->printWithPrinter(printer), chosen);
}

void Document::runPageLayout()
{
    QPrinter printer(QPrinter::HighResolution);
    printInfo().applyTo(printer);
    CanvasWindowController* window = exportWindow();
    if (!pf::sinkOf<PrintPanelSinks>().pageSetup(printer, window ? window->windowWidget() : nullptr))
        return;
    const PrintSettings chosen = PrintSettings::of(printer);
    if (shouldChangePrintInfo(chosen))
        documentPrintInfo_ = chosen.archived();
}

void Document::printOperationDidRun(bool success, const PrintSettings& settings)
{
    if (!success)
        return;
    // Settings are not content: nothing here is undoable or marks the document edited.
    undoManager().disableUndoRegistration();
    struct Reenable {
        pf::UndoManager& undo;
        ~Reenable() { undo.enableUndoRegistration(); }
    } reenable{undoManager()};
    printInfoData = settings.archived();
    documentPrintInfo_ = printInfoData;
    printView_.reset();
}

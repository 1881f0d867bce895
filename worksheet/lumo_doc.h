// The plot document: the record that the analyses fill and the graph pane draws, and the
// document behind the worksheet (its modified flag and the New, Open and Save commands).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "worksheet/plot_description.h"
#include "worksheet/worksheet_file.h"

namespace lumo {

class IWorksheet;

constexpr int kMaxPoints = 100;

// A view that wants to hear about document updates (the graph pane).
class IDocumentView {
  public:
    virtual ~IDocumentView() = default;
    virtual void OnUpdate(const void* sender) = 0;
};

class CLumoDoc {
  public:
    // The plot record. Public data: the analyses write it, the graph pane reads it.
    int m_nCount = 0;
    int m_nMark[kMaxPoints] = {};
    double m_dX[kMaxPoints] = {};
    double m_dY[kMaxPoints] = {};
    double m_dLbSlope = 0.0;
    double m_dLbIntercept = 0.0;
    double m_dXMax = 0.0;
    double m_dYMax = 0.0;
    double m_dBmax1 = 0.0;
    double m_dKa1 = 0.0;
    double m_dKa2 = 0.0;
    double m_dBmax2 = 0.0;
    double m_dXMin = 0.0;
    int m_nScatchard = 0;
    int m_nLineweaver = 0;
    // What the newer pictures draw, beside the classic record: every analysis run starts it
    // empty (AnalysisContext does), and one that fills it is drawn from it in the scaled mode.
    // An empty description leaves the pane to the classic record.
    PlotDescription m_plot;

    CLumoDoc() = default;
    CLumoDoc(const CLumoDoc&) = delete;
    CLumoDoc& operator=(const CLumoDoc&) = delete;

    // The worksheet whose text New, Open and Save act on.
    void AttachWorksheet(IWorksheet* worksheet) { m_pWorksheet = worksheet; }
    IWorksheet* Worksheet() const { return m_pWorksheet; }

    void AddView(IDocumentView* view);
    void RemoveView(IDocumentView* view);
    // Tells every view except `sender` that the record changed.
    void UpdateAllViews(const void* sender);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified);
    // Called whenever the modified flag changes, so a window title can follow it.
    void SetModifiedListener(std::function<void()> listener) { m_onModified = std::move(listener); }

    // Empties the worksheet; the plot record stays as it is.
    void OnNewDocument();
    // Replaces the worksheet by the file's text; the plot record stays as it is.
    LoadResult OnOpenDocument(const std::string& path);
    // Writes the worksheet to `path` in the format it was opened with (or `format` when given).
    SaveResult OnSaveDocument(const std::string& path);
    SaveResult OnSaveDocument(const std::string& path, const FileFormat& format);

    const std::string& PathName() const { return m_strPathName; }
    const FileFormat& Format() const { return m_format; }
    void SetFormat(const FileFormat& format) { m_format = format; }

  private:
    IWorksheet* m_pWorksheet = nullptr;
    std::vector<IDocumentView*> m_views;
    bool m_bModified = false;
    std::function<void()> m_onModified;
    std::string m_strPathName;
    FileFormat m_format;
    // The file as loaded, so that saving an unedited worksheet gives back the very same bytes.
    std::string m_loadedText;
    std::string m_loadedBytes;
};

}  // namespace lumo

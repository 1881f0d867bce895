#include "worksheet/lumo_doc.h"

#include <algorithm>

#include "worksheet/worksheet.h"

namespace lumo {

void CLumoDoc::AddView(IDocumentView* view) {
    m_views.push_back(view);
}

void CLumoDoc::RemoveView(IDocumentView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CLumoDoc::UpdateAllViews(const void* sender) {
    for (IDocumentView* view : m_views) {
        if (view != sender) view->OnUpdate(sender);
    }
}

void CLumoDoc::SetModifiedFlag(bool modified) {
    if (m_bModified == modified) return;
    m_bModified = modified;
    if (m_onModified) m_onModified();
}

void CLumoDoc::OnNewDocument() {
    m_strPathName.clear();
    m_format = FileFormat{};
    m_loadedText.clear();
    m_loadedBytes.clear();
    if (m_pWorksheet != nullptr) m_pWorksheet->SetText("");
    SetModifiedFlag(false);
}

LoadResult CLumoDoc::OnOpenDocument(const std::string& path) {
    LoadResult loaded = LoadWorksheetFile(path);
    if (!loaded.ok()) return loaded;  // the worksheet keeps its text
    m_strPathName = path;
    m_format = loaded.decoded.format;
    m_loadedText = loaded.decoded.text;
    m_loadedBytes = loaded.bytes;
    if (m_pWorksheet != nullptr) m_pWorksheet->SetText(m_loadedText);
    SetModifiedFlag(false);
    return loaded;
}

SaveResult CLumoDoc::OnSaveDocument(const std::string& path) {
    return OnSaveDocument(path, m_format);
}

SaveResult CLumoDoc::OnSaveDocument(const std::string& path, const FileFormat& format) {
    SaveResult result;
    const std::string text = m_pWorksheet != nullptr ? m_pWorksheet->GetText() : std::string();
    const bool sameFile = !m_strPathName.empty() && path == m_strPathName;
    if (sameFile && format.hadInvalidBytes) {
        result.error = FileError::kInvalidBytes;
        result.message = InvalidBytesMessage(path);
        return result;
    }
    std::string bytes;
    const bool unchanged = !m_strPathName.empty() && text == m_loadedText &&
                           format.encoding == m_format.encoding &&
                           format.lineEnd == m_format.lineEnd;
    if (unchanged) {
        // An unedited worksheet goes back byte for byte, whatever mix of line ends it had.
        bytes = m_loadedBytes;
    } else if (!EncodeWorksheet(text, format, bytes)) {
        result.error = FileError::kNotRepresentable;
        result.message = NotRepresentableMessage(path);
        return result;
    }
    result = WriteFileAtomically(path, bytes);
    if (!result.ok()) return result;
    m_strPathName = path;
    m_format = format;
    // Writing the loaded bytes back keeps whatever could not be decoded.
    m_format.hadInvalidBytes = unchanged && format.hadInvalidBytes;
    m_loadedText = text;
    m_loadedBytes = std::move(bytes);
    SetModifiedFlag(false);
    return result;
}

}  // namespace lumo

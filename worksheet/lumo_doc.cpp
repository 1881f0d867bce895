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
    m_stamp = FileStamp{};
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
    m_stamp = loaded.stamp;
    if (m_pWorksheet != nullptr) m_pWorksheet->SetText(m_loadedText);
    SetModifiedFlag(false);
    return loaded;
}

SaveResult CLumoDoc::OnSaveDocument(const std::string& path) {
    return OnSaveDocument(path, m_format);
}

SaveResult CLumoDoc::OnSaveDocument(const std::string& path, const FileFormat& format,
                                    bool overwriteChanged) {
    SaveResult result;
    const std::string text = m_pWorksheet != nullptr ? m_pWorksheet->GetText() : std::string();
    const bool sameFile = !m_strPathName.empty() && path == m_strPathName;
    // Another program, another window or a `--run --save` wrote the file after it was read:
    // overwriting it would throw that change away unseen.
    if (sameFile && !overwriteChanged && ChangedOnDisk(path, m_stamp, m_loadedBytes)) {
        result.error = FileError::kChangedOnDisk;
        result.message = path +
                         " は開いた後にディスク上で変更されているため、上書きしませんでした。"
                         "上書きするとその変更が失われます。";
        return result;
    }
    if (sameFile && format.hadInvalidBytes) {
        result.error = FileError::kInvalidBytes;
        result.message = InvalidBytesMessage(path);
        return result;
    }
    std::string bytes;
    // In the encoding it was opened with, what the user did not change keeps its bytes.
    const bool sameEncoding = !m_strPathName.empty() && format.encoding == m_format.encoding &&
                              format.lineEnd == m_format.lineEnd;
    const bool encoded = sameEncoding
                             ? EncodeWorksheetOver(m_loadedBytes, m_loadedText, text, format, bytes)
                             : EncodeWorksheet(text, format, bytes);
    if (!encoded) {
        result.error = FileError::kNotRepresentable;
        result.message = NotRepresentableMessage(path);
        return result;
    }
    result = WriteFileAtomically(path, bytes);
    if (!result.ok()) return result;
    m_strPathName = path;
    m_format = format;
    // Lines kept as they were keep whatever could not be decoded.
    m_format.hadInvalidBytes = HasUndecodableBytes(bytes, format.encoding);
    m_loadedText = text;
    m_loadedBytes = std::move(bytes);
    m_stamp = StampOfFile(path);
    SetModifiedFlag(false);
    return result;
}

}  // namespace lumo

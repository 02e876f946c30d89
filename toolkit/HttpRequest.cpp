// The download operations every request builds on its transfer: to a file, to memory, the remote
// size, and the listener's calls.
#include "toolkit/HttpRequest.h"

namespace {

// Creates a file of a new name beside 'path' ("<path>.<n>.part") and opens it for writing; its
// name, or "" when none could be made.
CString CreateFileBeside(LPCWSTR path, CWin32File& file)
{
    for (int n = 0; n < 100; ++n) {
        CString name;
        name.Format(L"%s.%d.part", path, n);
        if (file.Open(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL) == 0)
            return name;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    return CString();
}

} // namespace

void CHttpRequest::Reset()
{
    m_progress = CHttpProgress();
    m_nStatusCode = 0;
    m_strRawHeaders.Empty();
    m_strAcceptRanges.Empty();
    m_strContentEncoding.Empty();
    m_strLocation.Empty();
}

int CHttpRequest::GetRemoteSize(__int64& size, __int64 startOffset)
{
    size = 0;
    m_nRangeStart = startOffset;
    m_nBytesToRead = 0;
    m_strVerb = L"GET";
    int result = Download(nullptr);
    if (result == 0)
        size = m_progress.m_nContentLength;
    return result;
}

int CHttpRequest::DownloadToFile(LPCWSTR path, __int64 offset, BOOL resume)
{
    // Any other negative offset counts as 0, as a negative range start does.
    if (!resume && offset <= 0 && offset != -1)
        return DownloadReplacing(path);
    // Resuming and appending write into the file itself: a failure may leave some of the new
    // bytes, but never cuts what was there.
    const DWORD disposition = resume || offset > 0 ? OPEN_EXISTING : OPEN_ALWAYS;
    CWin32File file;
    if (file.Open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, disposition, FILE_ATTRIBUTE_NORMAL) != 0)
        return -2;
    __int64 at = 0;
    if (offset == -1) {
        at = file.SeekTo(0, FILE_END);
        if (at < 0)
            return -2;
    } else if (offset > 0) {
        // A position past the end would leave a hole of zeros in front of the data.
        if (offset > file.GetSize() || file.SeekTo(offset, FILE_BEGIN) != offset)
            return -2;
        at = offset;
    }
    // Resuming asks for exactly the bytes the file lacks.
    if (resume && at > 0)
        m_nRangeStart = at;
    int result = Download(&file);
    file.Close();
    return result;
}

int CHttpRequest::DownloadReplacing(LPCWSTR path)
{
    // The body goes into a new file beside the target, which it replaces only when complete: a
    // refused request, a dropped connection or a cancel leaves the target as it was.
    CWin32File file;
    CString part = CreateFileBeside(path, file);
    if (part.IsEmpty())
        return -2;
    int result = Download(&file);
    file.Close();
    if (result == 0 && !::MoveFileExW(LongPathForm(part), LongPathForm(path), MOVEFILE_REPLACE_EXISTING))
        result = -2;
    if (result != 0)
        ::DeleteFileW(LongPathForm(part));
    return result;
}

int CHttpRequest::DownloadToMemory(CMemoryStream& bytes)
{
    return Download(&bytes);
}

int CHttpRequest::DownloadToMemory(CString& text)
{
    text.Empty();
    CMemoryStream bytes(1024);
    int result = Download(&bytes);
    if (result != 0)
        return result;
    // Exactly the received bytes: the buffer has no terminator of its own when the body fills it.
    text = CString(detail::Widen((LPCSTR)bytes.GetBuffer(), (int)bytes.GetSize(), CP_ACP));
    return 0;
}

int CHttpRequest::OnHook0()
{
    if (IsCancelled())
        return 1;
    return m_pListener ? m_pListener->OnHook0(this, m_nRequestId) : -1;
}

int CHttpRequest::OnHook1()
{
    if (IsCancelled())
        return 1;
    return m_pListener ? m_pListener->OnHook1(this, m_nRequestId) : -1;
}

int CHttpRequest::OnHook2()
{
    if (IsCancelled())
        return 1;
    return m_pListener ? m_pListener->OnHook2(this, m_nRequestId, m_progress) : -1;
}

int CHttpRequest::OnHook3()
{
    if (IsCancelled())
        return 1;
    return m_pListener ? m_pListener->OnHook3(this, m_nRequestId, m_progress) : -1;
}

int CHttpRequest::OnHook4()
{
    if (IsCancelled())
        return 1;
    return m_pListener ? m_pListener->OnHook4(this, m_nRequestId, m_progress) : -1;
}

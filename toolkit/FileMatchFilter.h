// The file-name wildcards of the folder picker: the matcher, the include/exclude filter built on
// it, and the folder scan that hands every matching file of a folder (and its subfolders) on.
#pragma once

#include "framework/String.h"

#include <functional>

// Whether name matches pattern, letters compared without case. Besides '*' and '?': a set
// "[a-c]" (a leading '!' negates it), '!' before a pattern negates the rest, the grave accent
// takes the next character literally, and 0x1A stands for any run that does not cross a '.'.
bool WildcardMatch(LPCWSTR pattern, LPCWSTR name);
// As WildcardMatch, but false when either text is missing.
bool WildcardMatchName(LPCWSTR pattern, LPCWSTR name);

class CFileMatchFilter {
public:
    CFileMatchFilter() {}
    virtual ~CFileMatchFilter() {}

    // Each text holds patterns separated by ';'. An include text "*" takes every name and an
    // empty one none; an exclude text "*" refuses every name and an empty one none. With
    // bCaseSensitive 0 patterns and names are lower-cased first.
    virtual void SetPatterns(LPCWSTR lpszInclude, LPCWSTR lpszExclude, int bCaseSensitive);
    // Included and not excluded.
    virtual bool Match(LPCWSTR lpszName);

    const CString& GetIncludeText() const { return m_strInclude; }
    const CString& GetExcludeText() const { return m_strExclude; }
    const CStringArray& GetIncludePatterns() const { return m_include; }
    const CStringArray& GetExcludePatterns() const { return m_exclude; }

protected:
    CString m_strInclude;
    CString m_strExclude;
    int m_bCaseSensitive = 0;
    CStringArray m_include;
    CStringArray m_exclude;
};

// Visits the entries of lpszFolder in the order the file system gives them: every file whose
// name passes the filter goes to onFile (whose answers are summed and returned); with bRecurse
// the subfolders are scanned too, each where it stands. Links and junctions to folders (reparse
// points) are not followed, so a link back up the tree cannot make the scan endless; the depth is
// not bounded by the stack.
int ScanFolderFiles(LPCWSTR lpszFolder, CFileMatchFilter& filter, BOOL bRecurse,
                    const std::function<int(const CString& path)>& onFile);

// The player's document, which keeps the framework's document cycle working while the playlist
// itself lives in the view.
#pragma once

#include "framework/DocView.h"

class CPlayDoc : public CDocument {
    DECLARE_DYNCREATE(CPlayDoc)
public:
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(LPCWSTR lpszPathName) override;
    // The player keeps its recent lists itself: never the framework's.
    void SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU = TRUE) override;
    // Remembers the playing item as the playlist's last item, stops playback as the program
    // closing does (the position is kept when "ResumeInterrupted" is on) and the workers; never
    // asks anything.
    BOOL SaveModified() override;
};

// The application's "first open" flag: set until the first document has been opened, so that the
// first initial update opens the last playlist instead of a path.
bool& PlayerFirstOpenFlag();

// The probe tool driver: runs Quisset.exe with its output sent to a temporary file and turns the
// JSON it writes into a media information record.
#pragma once

#include "engine/ToolProcess.h"
#include "framework/String.h"

class CMediaInfoRecord;

class CProbeOptions {
public:
    CProbeOptions();

    CString InputPath;
    CString PrintFormat;
    int ShowFormat;
    int ShowStreams;
    int CountFrames;
    int AnalyzeDuration;  // 0 = not given
    int ProbeSize;        // 0 = not given
    CString ExtraArgs;    // added unchanged
};

// One probe, made on the caller's stack. Results: 0 success, -1 failure, 1 stopped.
class CProbeTool : public CToolProcessBase {
public:
    // Nothing asks the probe to stop, and a stopped probe's output is thrown away: a stop ends it
    // at once.
    CProbeTool() { m_bEndAtOnceWhenStopped = true; }
    ~CProbeTool() override {}

    // The tool with 'outputFile' (when given) receiving its standard output; Run's result.
    virtual int Launch(const CProbeOptions& options, LPCWSTR outputFile, const volatile int* stopFlag);
    virtual int BuildArgs(CCommandLine& out, const CProbeOptions& options);
    // Probes 'path' into 'record' (which the caller has reset).
    virtual int Probe(LPCWSTR path, CMediaInfoRecord& record, const volatile int* stopFlag);
    // Reads the tool's JSON output from 'file': 0 or -1. Malformed output of any shape is -1.
    virtual int ParseJson(LPCWSTR file, CMediaInfoRecord& record, const volatile int* stopFlag);

    CProbeOptions m_options;
};

// Probes 'path' with a default driver and the host's probe tool: 0, -1 failure, 1 stopped.
int ProbeMediaFile(CMediaInfoRecord& record, LPCWSTR path, const volatile int* stopFlag);

namespace detail {
// The JSON reading of ParseJson on text already in memory: 0 or -1; never throws.
int ParseProbeJsonText(const char* begin, const char* end, CMediaInfoRecord& record);
// A "DURATION" tag ("HH:MM:SS.nnnnnnnnn", "MM:SS.n" or "SS.n") in microseconds, the fraction
// scaled by its number of digits.
__int64 ParseTagDurationUs(const char* text);
}  // namespace detail

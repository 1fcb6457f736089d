// The analytics event log: event lines, the play log and the hand-over to the sinks.
// The upload address and its thread live in analytics-upload.cpp.
#include "online/analytics.h"

#include "app/services/featureman.h"
#include "app/services/filehelpers.h"
#include "app/services/profiles.h"
#include "online/percent-encoding.h"
#include "orvex.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

Analyst analyst;

// --- Analyst::KeyValue

Analyst::KeyValue::KeyValue(const char *k, const char *v)
    : key(nStringDuplicate(k)), value(nStringDuplicate(v))
{
}

Analyst::KeyValue::KeyValue(const KeyValue &other)
    : key(other.key ? nStringDuplicate(other.key) : nullptr),
      value(other.value ? nStringDuplicate(other.value) : nullptr)
{
}

Analyst::KeyValue::KeyValue(KeyValue &&other) noexcept : key(other.key), value(other.value)
{
    other.key = nullptr;
    other.value = nullptr;
}

Analyst::KeyValue &Analyst::KeyValue::operator=(const KeyValue &other)
{
    if (this != &other) {
        KeyValue copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Analyst::KeyValue &Analyst::KeyValue::operator=(KeyValue &&other) noexcept
{
    if (this != &other) {
        nStringFree(key);
        nStringFree(value);
        key = other.key;
        value = other.value;
        other.key = nullptr;
        other.value = nullptr;
    }
    return *this;
}

Analyst::KeyValue::~KeyValue()
{
    nStringFree(key);
    nStringFree(value);
}

namespace {

// One play-log field: as it is, or quoted when it holds a separator, a quote or a
// line break (quotes doubled), so that every line stays one record.
void AppendCsvField(std::string &out, const char *text)
{
    text = text ? text : "";
    if (!strpbrk(text, ",\"\r\n")) {
        out += text;
        return;
    }
    out += '"';
    for (const char *p = text; *p; p++) {
        if (*p == '"')
            out += '"';
        out += *p;
    }
    out += '"';
}

}  // namespace

bool Analyst::Initialize()
{
    enabled = 1;
    return true;
}

void Analyst::Shutdown()
{
    enabled = 0;
}

void Analyst::LogEvent(const char *event)
{
    if (!enabled)
        return;
    LogEventWithKeyValues(event, KeyValues());
}

void Analyst::LogEventWithKeyValue(const char *event, const char *key, const char *value)
{
    if (!enabled)
        return;
    KeyValues pairs;
    pairs.InsertLast(KeyValue(key, value));
    LogEventWithKeyValues(event, std::move(pairs));
}

void Analyst::LogEventLevelTime(const char *level, int time)
{
    if (!enabled)
        return;
    char text[16];
    snprintf(text, sizeof text, "%d", time);
    KeyValues pairs;
    pairs.InsertLast(KeyValue("level", level));
    pairs.InsertLast(KeyValue("time", text));
    LogEventWithKeyValues("LEVELTIME", std::move(pairs));
}

nString Analyst::GetEventKeyValuePairsInCommaSeparatedFormat(const char *event, const KeyValues &pairs)
{
    std::string line;
    AppendCsvField(line, event);
    for (int i = 0; i < pairs.Count(); i++) {
        line += ',';
        AppendCsvField(line, pairs[i].key);
        line += ',';
        AppendCsvField(line, pairs[i].value);
    }
    nString out;
    out.Set(line.c_str());
    return out;
}

nString Analyst::GetEventKeyValuePairsInTalvikAnalyticsFormat(const char *event, const KeyValues &pairs)
{
    std::string body = "event_id=";
    AppendPercentEncoded(body, event);
    for (int i = 0; i < pairs.Count(); i++) {
        body += "&k[";
        AppendPercentEncoded(body, pairs[i].key);
        body += "]=";
        AppendPercentEncoded(body, pairs[i].value);
    }
    nString out;
    out.Set(body.c_str());
    return out;
}

nString Analyst::GetPlayLogFileName()
{
    std::string name;
    if (prof) {
        nString profile = prof->GetName();
        for (const char *p = profile.Get() ? profile.Get() : ""; *p; p++) {
            char c = *p;
            bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                        c == '_';
            name += keep ? c : '_';
        }
    }
    if (name.empty())
        name = "default";
    nString out;
    out.Set(("user://logs/playlog-" + name + ".csv").c_str());
    return out;
}

namespace {

// The length of the whole lines at the start of the text: up to and with the last line
// feed that stands outside a quoted field.
size_t WholeLinesLength(const char *text, size_t size)
{
    size_t whole = 0;
    bool quoted = false;
    for (size_t i = 0; i < size; i++) {
        if (text[i] == '"')
            quoted = !quoted;  // a doubled quote inside a field toggles twice
        else if (text[i] == '\n' && !quoted)
            whole = i + 1;
    }
    return whole;
}

// Rewrites the play log without a last line that a kill or a full disk cut short, so
// that the next line does not run on from it; true when the log ends with a whole line
// (or is missing or empty). The log is read whole: a cut can fall inside a quoted field,
// after one of its line breaks.
bool DropCutLine(const char *file)
{
    long size = 0;
    char *text = ReadWholeFile(file, &size);
    if (!text)
        return true;
    size_t whole = WholeLinesLength(text, (size_t)size);
    bool ok = true;
    if (whole < (size_t)size) {
        ov->OV_Printf("The play log '%s' ends in a cut line (%ld bytes): dropped.\n", file, size - (long)whole);
        ok = SaveFileReplacing(file, text, whole);
    }
    free(text);
    return ok;
}

}  // namespace

std::vector<std::string> Analyst::ReadPlayLog(const char *file)
{
    std::vector<std::string> lines;
    long size = 0;
    char *text = ReadWholeFile(file, &size);
    if (!text)
        return lines;
    size_t whole = WholeLinesLength(text, (size_t)size);
    size_t start = 0;
    bool quoted = false;
    for (size_t i = 0; i < whole; i++) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == '\n' && !quoted) {
            lines.emplace_back(text + start, i - start);
            start = i + 1;
        }
    }
    free(text);
    return lines;
}

void Analyst::AddLocalStoreLine(const char *line)
{
    if (!feature_man.ProductFeatureExists("ANALYST_LOCAL_STORE"))
        return;
    nString file = GetPlayLogFileName();
    if (!DropCutLine(file.Get()))
        return;  // reported by the rewrite
    // The line and its end in one write: a kill leaves all of it or a cut line, which
    // the reader and the next append leave out.
    std::string record = line ? line : "";
    record += '\n';
    ov_file_t *f = ov->OV_OpenFile(file.Get(), "a");
    if (!f) {
        // The folder may simply not exist yet.
        ov->OV_CreateDirectory("user://logs");
        f = ov->OV_OpenFile(file.Get(), "a");
    }
    bool ok = f != nullptr;
    std::string reason;
    if (f) {
        ok = ov->OV_WriteFile(record.data(), (unsigned)record.size(), f) == record.size();
        ok = ov->OV_FlushFile(f) == 1 && ok;
        if (!ok)
            reason = LastFileErrorText();
        ok = ov->OV_CloseFile(f) == 0 && ok;
    }
    if (!ok) {
        if (reason.empty())
            reason = LastFileErrorText();
        ov->OV_PrintDebugf(1, "Unable to append playlog to '%s'.\n", file.Get());
        ReportFailedSave(file.Get(), reason.c_str());
    }
}

void Analyst::LogEventWithKeyValues(const char *event, KeyValues pairs)
{
    if (!enabled || feature_man.ProductFeatureExists("AUTO_TESTING_MODE"))
        return;
    nString line = GetEventKeyValuePairsInCommaSeparatedFormat(event, pairs);
    ov->OV_CallExtension("LogEvent", line.Get() ? line.Get() : "");
    AddLocalStoreLine(line.Get());
    if (!feature_man.ProductFeatureExists("ANALYST_LIVELOGGER"))
        return;
    nString body = GetEventKeyValuePairsInTalvikAnalyticsFormat(event, pairs);
    if (body.Length() > ANALYTICS_MAX_BODY) {
        ov->OV_PrintDebugf(1, "Analytics event '%s' too long to upload.\n", event ? event : "");
        return;
    }
    nString address = BuildUploadAddress(body.Get());
    if (address.IsEmpty())
        return;  // no active profile: nothing to send
    char *block = nStringDuplicate(address.Get());
    // The engine answers 0 (or -1) when no thread started: the block is still ours.
    if (ov->OV_CreateThread("Analyst", Analyst_LoggerThread, block, 0) <= 0)
        nStringFree(block);
}

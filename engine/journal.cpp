#include "journal.h"

#include "engine_system.h"
#include "json_text.h"

JournalLine::JournalLine(const char* table, int slot, const char* call) {
    head = "{\"time\":" + journalTimeNow() + ",\"thread\":" + std::to_string(journalThreadId()) +
           ",\"table\":\"" + table + "\",\"slot\":" + std::to_string(slot) + ",\"call\":\"" + call + "\"";
}

JournalLine& JournalLine::handle(const std::string& name) {
    head += ",\"handle\":";
    appendJsonString(head, name.data(), name.size());
    return *this;
}

JournalLine& JournalLine::number(const char* name, std::int64_t value) {
    args += std::string(args.empty() ? "" : ",") + "\"" + name + "\":" + std::to_string(value);
    return *this;
}

JournalLine& JournalLine::text(const char* name, const char* value) {
    if (!value) return raw(name, "null");
    return text(name, value, std::char_traits<char>::length(value));
}

JournalLine& JournalLine::text(const char* name, const char* value, std::size_t length) {
    std::string json;
    appendJsonString(json, value, length);
    return raw(name, json);
}

JournalLine& JournalLine::raw(const char* name, const std::string& json) {
    args += std::string(args.empty() ? "" : ",") + "\"" + name + "\":" + json;
    return *this;
}

JournalLine& JournalLine::detail(const char* name, const std::string& json) {
    details += std::string(",\"") + name + "\":" + json;
    return *this;
}

void JournalLine::write(std::int64_t result) {
    appendJournalLine(head + ",\"args\":{" + args + "},\"result\":" + std::to_string(result) + details +
               "}\n");
}

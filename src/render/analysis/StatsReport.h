// Orbit statistics as text: one "name: value" line a quantity, or the same as
// one JSON object on one line. A quantity not known (the exponents of an orbit
// that escaped) is left out of the lines and null in the object.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/analysis/OrbitStats.h"

namespace quillon::render {

struct ReportField {
    std::string name;
    std::optional<std::string> value;
    bool number = false;  // written bare in JSON, else as a string
};
using Report = std::vector<ReportField>;

Report statsReport(const std::string& figure, const std::string& caption, const OrbitStats& stats);

// A number as the report writes it (six significant digits; nothing if not finite).
std::optional<std::string> reportNumber(double value, int digits = 6);

std::string reportLines(const Report& report);
std::string reportJson(const Report& report);
// Text as a JSON string, quoted and escaped.
std::string jsonString(std::string_view text);

}  // namespace quillon::render

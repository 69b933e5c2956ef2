#include "render/analysis/StatsReport.h"

#include <cmath>
#include <cstdio>

namespace quillon::render {

namespace {

ReportField text(std::string name, std::optional<std::string> value) { return {std::move(name), std::move(value), false}; }

ReportField number(std::string name, std::optional<double> value, int digits = 6)
{
    return {std::move(name), value ? reportNumber(*value, digits) : std::nullopt, true};
}

ReportField whole(std::string name, std::optional<uint64_t> value)
{
    return {std::move(name), value ? std::optional<std::string>(std::to_string(*value)) : std::nullopt, true};
}

}  // namespace

std::optional<std::string> reportNumber(double value, int digits)
{
    if (!std::isfinite(value))
        return std::nullopt;
    char out[32];
    // Rounding left over from a fit or a sum is not shown; nor is "-0".
    std::snprintf(out, sizeof out, "%.*g", digits, std::fabs(value) < 1e-12 ? 0.0 : value);
    return std::string(out);
}

Report statsReport(const std::string& figure, const std::string& caption, const OrbitStats& s)
{
    const auto& e = s.lyapunov.exponents;
    const auto exponent = [&](size_t k) { return k < e.size() ? std::optional<double>(e[k].value) : std::nullopt; };
    const auto error = [&](size_t k) { return k < e.size() ? std::optional<double>(e[k].error) : std::nullopt; };
    std::optional<double> sum;
    if (e.size() == 2)
        sum = e[0].value + e[1].value;
    const bool followed = !s.escapeStep;
    Report r = {
        text("figure", figure),
        text("caption", caption),
        text("outcome", outcomeName(s.outcome)),
        whole("period", s.period),
        whole("escape_step", s.escapeStep),
        whole("settle_steps", s.settleSteps),
        whole("steps", followed ? std::optional<uint64_t>(s.lyapunov.steps) : std::nullopt),
        text("exponent_unit", followed ? std::optional<std::string>(s.perUnitTime ? "time" : "step") : std::nullopt),
        number("exponent_1", exponent(0)),
        number("exponent_1_error", error(0), 2),
        number("exponent_2", exponent(1)),
        number("exponent_2_error", error(1), 2),
        number("exponent_sum", sum),
        number("kaplan_yorke", s.kaplanYorke, 5),
        number("box_dimension", s.box ? std::optional<double>(s.box->dimension) : std::nullopt, 4),
        number("box_dimension_error", s.box ? std::optional<double>(s.box->error) : std::nullopt, 2),
        text("box_sizes", s.box ? std::optional<std::string>(std::to_string(s.box->smallest) + "-" +
                                                             std::to_string(s.box->largest))
                                : std::nullopt),
        number("lit_fraction", s.litFraction, 4),
        number("in_frame", followed ? std::optional<double>(s.inFrame) : std::nullopt, 4),
        whole("picture_points", s.litFraction ? std::optional<uint64_t>(s.picturePoints) : std::nullopt),
    };
    return r;
}

std::string reportLines(const Report& report)
{
    std::string out;
    for (const ReportField& f : report)
        if (f.value)
            out += f.name + ": " + *f.value + "\n";
    return out;
}

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += c;  // UTF-8 passes through
            }
        }
    }
    return out + "\"";
}

std::string reportJson(const Report& report)
{
    std::string out = "{";
    for (const ReportField& f : report) {
        if (out.size() > 1)
            out += ", ";
        out += jsonString(f.name) + ": ";
        out += !f.value ? "null" : f.number ? *f.value : jsonString(*f.value);
    }
    return out + "}\n";
}

}  // namespace quillon::render

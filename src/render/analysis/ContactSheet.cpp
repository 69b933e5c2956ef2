#include "render/analysis/ContactSheet.h"

#include <cstdio>

#include "render/analysis/StatsReport.h"

namespace quillon::render {

std::string htmlText(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string urlPath(std::string_view name)
{
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", u);
            out += escaped;
        }
    }
    return out;  // a colon too is escaped, so no name reads as a scheme
}

std::string contactSheet(const std::string& title, const std::vector<SheetEntry>& entries)
{
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + htmlText(title) +
        "</title>\n<style>\n"
        "body { background: #111; color: #ddd; font: 14px sans-serif; margin: 1em; }\n"
        "main { display: grid; grid-template-columns: repeat(auto-fill, minmax(260px, 1fr)); gap: 1em; }\n"
        "figure { margin: 0; }\n"
        "img { width: 100%; height: auto; display: block; background: #000; }\n"
        "figcaption { margin-top: 0.3em; } .numbers { color: #999; }\n"
        "</style>\n</head>\n<body>\n<h1>" +
        htmlText(title) + "</h1>\n<main>\n";
    for (const SheetEntry& e : entries) {
        const std::string link = urlPath(e.picture);
        std::string numbers;
        const auto add = [&](const std::string& what, const std::optional<double>& value, int digits) {
            if (const auto text = value ? reportNumber(*value, digits) : std::nullopt)
                numbers += (numbers.empty() ? "" : ", ") + what + " " + *text;
        };
        add("largest exponent", e.exponent, 4);
        if (!numbers.empty())
            numbers += e.perUnitTime ? " per unit of time" : " per step";
        add("Kaplan-Yorke dimension", e.kaplanYorke, 4);
        add("box dimension", e.boxDimension, 3);
        page += "<figure><a href=\"" + link + "\"><img src=\"" + link + "\" alt=\"" + htmlText(e.caption) +
                "\" loading=\"lazy\"></a>\n<figcaption>" + htmlText(e.caption) + "<br><span class=\"numbers\">" +
                htmlText(numbers) + "</span></figcaption></figure>\n";
    }
    return page + "</main>\n</body>\n</html>\n";
}

}  // namespace quillon::render

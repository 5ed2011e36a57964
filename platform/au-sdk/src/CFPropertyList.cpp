// XML property lists (version 1.0): writing by hand, reading through libxml2.

#include "CFInternal.h"
#include "util/UTIL_Base64.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxDepth = 64;
constexpr size_t kMaxPlistBytes = size_t{64} << 20;

// ---- Writing ----

void Escape(const std::string& text, std::string& out) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
}

bool Write(CFTypeRef value, int depth, std::string& out, std::string& error);

void Indent(int depth, std::string& out) {
    out.append(static_cast<size_t>(depth), '\t');
}

bool WriteDictionary(const __CFDictionary& dict, int depth, std::string& out, std::string& error) {
    // Keys are written in sorted order, so equal dictionaries give equal bytes.
    std::vector<std::pair<std::string, const void*>> entries;
    for (const auto& [key, value] : dict.mEntries) {
        if (CFGetTypeID(key) != kCFTypeIDString) {
            error = "dictionary key is not a string";
            return false;
        }
        entries.emplace_back(StringText(static_cast<CFStringRef>(key)), value);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    Indent(depth, out);
    out += "<dict>\n";
    for (const auto& [key, value] : entries) {
        Indent(depth + 1, out);
        out += "<key>";
        Escape(key, out);
        out += "</key>\n";
        if (!Write(value, depth + 1, out, error)) return false;
    }
    Indent(depth, out);
    out += "</dict>\n";
    return true;
}

bool Write(CFTypeRef value, int depth, std::string& out, std::string& error) {
    if (depth > kMaxDepth) {
        error = "property list nested too deeply";
        return false;
    }
    const CFObject* object = AsObject(value);
    if (!object) {
        error = "null value in property list";
        return false;
    }
    switch (object->mTypeID) {
    case kCFTypeIDString:
        Indent(depth, out);
        out += "<string>";
        Escape(static_cast<const __CFString*>(object)->mText, out);
        out += "</string>\n";
        return true;
    case kCFTypeIDNumber: {
        const auto* n = static_cast<const __CFNumber*>(object);
        Indent(depth, out);
        if (n->mIsFloat) {
            if (!std::isfinite(n->mDouble)) {
                error = "non-finite number in property list";
                return false;
            }
            char text[64];
            std::snprintf(text, sizeof(text), "%.17g", n->mDouble);
            out += std::string("<real>") + text + "</real>\n";
        } else {
            out += "<integer>" + std::to_string(n->mInt) + "</integer>\n";
        }
        return true;
    }
    case kCFTypeIDBoolean:
        Indent(depth, out);
        out += static_cast<const __CFBoolean*>(object)->mValue ? "<true/>\n" : "<false/>\n";
        return true;
    case kCFTypeIDData: {
        const auto& bytes = static_cast<const __CFData*>(object)->mBytes;
        std::string text(
            static_cast<size_t>(base64EncodedLength(static_cast<int>(bytes.size()))) + 1, '\0');
        base64encode(bytes.data(), text.data(), static_cast<int>(bytes.size()));
        text.resize(text.size() - 1);
        Indent(depth, out);
        out += "<data>\n";
        for (size_t i = 0; i < text.size(); i += 68) {
            Indent(depth, out);
            out += text.substr(i, 68) + "\n";
        }
        Indent(depth, out);
        out += "</data>\n";
        return true;
    }
    case kCFTypeIDArray:
        Indent(depth, out);
        out += "<array>\n";
        for (const void* element : static_cast<const __CFArray*>(object)->mValues) {
            if (!Write(element, depth + 1, out, error)) return false;
        }
        Indent(depth, out);
        out += "</array>\n";
        return true;
    case kCFTypeIDDictionary:
        return WriteDictionary(*static_cast<const __CFDictionary*>(object), depth, out, error);
    default:
        error = "object of a type a property list cannot hold";
        return false;
    }
}

// ---- Reading ----

bool IsElement(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// The element children of node; false when it has other content than elements, whitespace
// and comments.
bool ElementChildren(const xmlNode* node, std::vector<const xmlNode*>& children) {
    for (const xmlNode* c = node->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            children.push_back(c);
        } else if (c->type == XML_TEXT_NODE) {
            for (const xmlChar* p = c->content; p && *p; ++p) {
                if (!std::strchr(" \t\r\n", *p)) return false;
            }
        } else if (c->type != XML_COMMENT_NODE) {
            return false;
        }
    }
    return true;
}

std::string TextOf(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

CFTypeRef Read(const xmlNode* node, int depth, std::string& error);

CFTypeRef ReadData(const std::string& text, std::string& error) {
    std::string compact;
    for (char c : text) {
        if (std::strchr(" \t\r\n", c)) continue;
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '/' && c != '=') {
            error = "bad character in <data>";
            return nullptr;
        }
        compact += c;
    }
    std::vector<UInt8> bytes(compact.size() / 4 * 3 + 3);
    const int n = base64decode(compact.c_str(), bytes.data(), static_cast<int>(bytes.size()));
    bytes.resize(static_cast<size_t>(std::max(0, n)));
    return new __CFData(nullptr, std::move(bytes));
}

CFTypeRef ReadInteger(const std::string& text, std::string& error) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    while (end && std::strchr(" \t\r\n", *end) && *end)
        ++end;
    if (text.empty() || errno != 0 || !end || *end != '\0') {
        error = "bad <integer> \"" + text + "\"";
        return nullptr;
    }
    return new __CFNumber(nullptr, false, value, static_cast<double>(value));
}

CFTypeRef ReadReal(const std::string& text, std::string& error) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || !end || *end != '\0' || !std::isfinite(value)) {
        error = "bad <real> \"" + text + "\"";
        return nullptr;
    }
    return new __CFNumber(nullptr, true,
                          static_cast<int64_t>(std::fabs(value) < 9.2e18 ? value : 0), value);
}

CFTypeRef ReadArray(const xmlNode* node, int depth, std::string& error) {
    std::vector<const xmlNode*> children;
    if (!ElementChildren(node, children)) {
        error = "text inside <array>";
        return nullptr;
    }
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const xmlNode* child : children) {
        CFTypeRef value = Read(child, depth + 1, error);
        if (!value) {
            CFRelease(array);
            return nullptr;
        }
        CFArrayAppendValue(array, value);
        CFRelease(value);
    }
    return array;
}

CFTypeRef ReadDictionary(const xmlNode* node, int depth, std::string& error) {
    std::vector<const xmlNode*> children;
    if (!ElementChildren(node, children) || children.size() % 2 != 0) {
        error = "<dict> does not hold key and value pairs";
        return nullptr;
    }
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (size_t i = 0; i < children.size(); i += 2) {
        if (!IsElement(children[i], "key")) {
            error = "<dict> entry without <key>";
            CFRelease(dict);
            return nullptr;
        }
        CFTypeRef value = Read(children[i + 1], depth + 1, error);
        if (!value) {
            CFRelease(dict);
            return nullptr;
        }
        CFStringRef key = MakeString(TextOf(children[i]));
        CFDictionarySetValue(dict, key, value);
        CFRelease(key);
        CFRelease(value);
    }
    return dict;
}

CFTypeRef Read(const xmlNode* node, int depth, std::string& error) {
    if (depth > kMaxDepth) {
        error = "property list nested too deeply";
        return nullptr;
    }
    if (IsElement(node, "string")) return MakeString(TextOf(node));
    if (IsElement(node, "integer")) return ReadInteger(TextOf(node), error);
    if (IsElement(node, "real")) return ReadReal(TextOf(node), error);
    if (IsElement(node, "true")) return kCFBooleanTrue;
    if (IsElement(node, "false")) return kCFBooleanFalse;
    if (IsElement(node, "data")) return ReadData(TextOf(node), error);
    if (IsElement(node, "array")) return ReadArray(node, depth, error);
    if (IsElement(node, "dict")) return ReadDictionary(node, depth, error);
    error = std::string("unknown element <") + reinterpret_cast<const char*>(node->name) + ">";
    return nullptr;
}

void SetError(CFErrorRef* error, const std::string& text) {
    if (error) *error = new __CFError(text);
}

} // namespace

extern "C" {

CFDataRef CFPropertyListCreateData(CFAllocatorRef alloc, CFPropertyListRef list,
                                   CFPropertyListFormat format, CFOptionFlags, CFErrorRef* error) {
    if (error) *error = nullptr;
    if (format != kCFPropertyListXMLFormat_v1_0) {
        SetError(error, "only XML property lists are written");
        return nullptr;
    }
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    std::string problem;
    if (!Write(list, 0, out, problem)) {
        SetError(error, problem);
        return nullptr;
    }
    out += "</plist>\n";
    return CFDataCreate(alloc, reinterpret_cast<const UInt8*>(out.data()),
                        static_cast<CFIndex>(out.size()));
}

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data, CFOptionFlags,
                                               CFPropertyListFormat* format, CFErrorRef* error) {
    if (error) *error = nullptr;
    const CFIndex length = CFDataGetLength(data);
    if (!data || length <= 0 || static_cast<size_t>(length) > kMaxPlistBytes) {
        SetError(error, "no property list data");
        return nullptr;
    }
    // No network access, no entity substitution, no DTD loading.
    xmlDocPtr doc = xmlReadMemory(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                                  static_cast<int>(length), "plist.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) {
        SetError(error, "not well-formed XML");
        return nullptr;
    }
    std::string problem = "the root element is not <plist>";
    CFTypeRef result = nullptr;
    const xmlNode* root = xmlDocGetRootElement(doc);
    std::vector<const xmlNode*> children;
    if (root && IsElement(root, "plist") && ElementChildren(root, children)) {
        if (children.size() == 1)
            result = Read(children[0], 0, problem);
        else
            problem = "<plist> must hold exactly one value";
    }
    xmlFreeDoc(doc);
    if (!result) SetError(error, problem);
    if (result && format) *format = kCFPropertyListXMLFormat_v1_0;
    return result;
}

} // extern "C"

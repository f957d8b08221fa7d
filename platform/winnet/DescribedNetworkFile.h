#pragma once

// The text file behind the described network: one resource per line, nested
// by indentation.
//
//     # two workgroups and the odd shapes a tree must cope with
//     domain ALPHA comment="First floor"
//         server \\ALPHA1 comment="File server"
//             share \\ALPHA1\public
//         server \\ALPHA2
//     domain BETA open-error=1222
//     generic "Lab machines" enum-error=59 enum-error-after=1
//         server \\LAB1
//         server \\LAB2
//     server \\LONELY
//
//   KIND NAME [ATTRIBUTE=VALUE]...
//
// KIND gives the display type and the default usage and type:
//   containers:  generic domain server group network root tree ndscontainer
//   connectable: share printer file shareadmin   (printer has type print)
//   both:        directory
// NAME is the remote name exactly as listed: a server is usually written
// \\NAME and a share \\SERVER\share, but any text is taken as it is. A name or
// value with spaces, or starting with a double quote, is written in double
// quotes, with a quote inside it doubled. Text is UTF-8.
// ATTRIBUTES:
//   comment=TEXT          the record's comment
//   display=N             display type, overriding the kind's
//   type=any|disk|print|N resource type
//   usage=container|connectable|container+connectable|N
//   open-error=N          opening this container fails with error N
//   enum-error=N          listing this container fails with error N, on every
//                         request from the first ...
//   enum-error-after=N    ... or from the one after N records were delivered
// A line indented deeper than the one before it lies inside that one; the
// lines directly inside one container share one indentation. Indentation is
// spaces. Empty lines and lines whose first non-space character is # are
// ignored. A line with lines inside it is a container, and container names are
// unique, because a container is opened again by its name alone.

#include "Enumeration.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace winnet {

struct DescribedContainer {
    std::vector<Resource> children;
    DWORD openError = NO_ERROR;
    ListingFailure failure;
};

// Lets the container map be searched with a string_view.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
        return std::hash<std::string_view>{}(name);
    }
};

struct DescribedNetworkModel {
    DescribedContainer top;
    std::unordered_map<std::string, DescribedContainer, NameHash, std::equal_to<>> containers;

    // The named container, or null.
    const DescribedContainer* find(std::string_view remoteName) const;
};

struct DescribedNetworkParse {
    std::shared_ptr<const DescribedNetworkModel> model; // null on failure
    std::string error;                                  // "FILE:LINE: expected ..., found ..."
};

// Reads the text of a described network; records name `provider` as theirs.
DescribedNetworkParse parseDescribedNetwork(std::string_view text, std::string_view sourceName,
                                            std::string_view provider);

} // namespace winnet

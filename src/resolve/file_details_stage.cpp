#include "resolve/file_details_stage.h"

#include "pattern/byte_pattern.h"
#include "resolve/byte_size_text.h"
#include "resolve/file_kind_label.h"
#include "resolve/file_name_decoding.h"
#include "resolve/size_number.h"

namespace kestrane {

FileDetails FindFileDetails(const Text& page) {
    static const BytePattern fileNamePattern(kFileNamePattern);
    static const BytePattern sizePattern(kSizePattern);
    static const BytePattern md5Pattern(kMd5Pattern);

    FileDetails details;
    Text extension;
    fileNamePattern.ForEachMatch(page.View(), [&](const PatternMatch& m) {
        details.fileName = DecodeUrlText(Text(m.Group(1)));
        extension = details.fileName.Right(3);
    });
    sizePattern.ForEachMatch(page.View(), [&](const PatternMatch& m) {
        details.size = static_cast<double>(ParseSingleNumber(Text(m.Group(1))));
    });
    md5Pattern.ForEachMatch(page.View(), [&](const PatternMatch& m) { details.md5 = Text(m.Group(1)); });
    details.kindLabel = FileKindLabel(extension);
    return details;
}

void RunFileDetailsStage(const Text& page, WindowSurface& window) {
    const FileDetails details = FindFileDetails(page);
    window.SetCaption(Control::标签_文件名, details.fileName);
    window.SetCaption(Control::标签_拓展名, details.kindLabel);
    window.SetCaption(Control::标签_大小, FormatByteSize(details.size));
    window.SetCaption(Control::标签_MD5, details.md5);
}

}  // namespace kestrane

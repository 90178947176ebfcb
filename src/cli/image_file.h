// The image file of a command: it lives in session/image_file.h, shared
// with the job file and the window.
#pragma once

#include "session/image_file.h"

namespace gang::cli {

using session::File_Head;
using session::Format_From_Content;
using session::Format_From_Extension;
using session::Format_From_Name;
using session::Format_Name;
using session::Max_Image_Bytes;
using session::Read_Image;
using session::Resolve_Format;
using session::Save_Image;

} // namespace gang::cli

#include "message/message.h"

namespace tavik {

const char concealedKey[81] =
    "pokhuvkhfzdlkgnfemoonjkogsirqlhoaydagxpi"
    "mdmyorgvqmzkevzzrdykvmtuxdbyjkrlvgzqaxyf";

const char concealedText[77] =
    "ED4B004154DB18492897D3D8A83D55B192B71B"
    "054FF0D7C0E1F9044FE96A7B442654C87F3E9D";

}  // namespace tavik

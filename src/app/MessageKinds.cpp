#include "app/MessageKinds.h"

#include <array>

namespace cbx {

namespace {

constexpr unsigned kOk = kButtonOk, kOkCancel = kButtonOk | kButtonCancel;

constexpr MessageKindInfo Info(int kind, int text, unsigned buttons, int ok, int cancel, int okLabel,
                               int cancelLabel) {
  MessageKindInfo info;
  info.kind = kind;
  info.fixedTextId = text;
  info.buttons = buttons;
  info.okResult = ok;
  info.cancelResult = cancel;
  info.okLabelId = okLabel;
  info.cancelLabelId = cancelLabel;
  return info;
}

constexpr MessageKindInfo Acknowledge(int kind, int text) { return Info(kind, text, kOk, 11, 12, 3008, 0); }
constexpr MessageKindInfo Question(int kind, int text, int cancelLabel = 3005) {
  return Info(kind, text, kOkCancel, 13, 14, 3004, cancelLabel);
}
constexpr MessageKindInfo Wait(int kind, int text) { return Info(kind, text, kButtonNone, 12, 12, 0, 0); }

constexpr MessageKindInfo UpdateOffer(int kind, int text) {
  MessageKindInfo info = Info(kind, text, kOkCancel | kButton1045, 13, 14, 3004, 3012);
  info.result1045 = 21;  // opens the document instead of ending the dialog
  info.label1045Id = 3009;
  return info;
}

constexpr MessageKindInfo Precautions(int kind, int secondText) {
  MessageKindInfo info = Info(kind, 3104, kButton1045 | kButton1046, 12, 14, 0, 0);
  info.secondTextId = secondText;
  info.result1045 = 22;
  info.result1046 = 23;
  info.label1045Id = 3010;
  info.label1046Id = 3011;
  return info;
}

constexpr MessageKindInfo VersionLine(MessageKindInfo info) {
  info.secondTextId = 3113;
  return info;
}

constexpr MessageKindInfo AllTwelve(MessageKindInfo info) {
  info.okResult = info.cancelResult = 12;
  return info;
}

constexpr std::array kKinds{
    Info(0, 0, kOk, 11, 12, 3002, 0),
    Info(1, 0, kOkCancel, 11, 12, 3002, 3003),
    Info(2, 0, kOk, 11, 12, 3008, 0),
    Question(3, 0),
    Wait(4, 0),
    VersionLine(Acknowledge(10, 3101)),
    UpdateOffer(11, 3103),
    Precautions(12, 3112),
    Wait(13, 3105),
    VersionLine(Info(14, 3110, kButtonCancel, 11, 12, 0, 3008)),
    Info(15, 3114, kOkCancel, 11, 12, 3013, 3008),
    Question(16, 3102),
    Acknowledge(17, 3115),
    Acknowledge(18, 3116),
    Acknowledge(19, 3117),
    Acknowledge(20, 3118),
    Question(21, 3108),
    Acknowledge(22, 3109),
    AllTwelve(Acknowledge(23, 3121)),
    Question(24, 3119),
    Question(25, 3120),
    Acknowledge(26, 3132),
    Question(27, 3134, 3012),
    Question(28, 3135, 3012),
    Question(29, 3140, 3012),
    VersionLine(Acknowledge(50, 3128)),
    VersionLine(Acknowledge(51, 3129)),
    Wait(100, 3111),
    Wait(101, 3130),
    Wait(102, 3131),
    Wait(103, 3133),
    UpdateOffer(201, 3201),
    Question(202, 3203),
    Acknowledge(203, 3204),
    Precautions(204, 3205),
    Acknowledge(205, 3206),
    VersionLine(Acknowledge(206, 3208)),
    Wait(207, 3209),
    Question(208, 3210, 3012),
    Acknowledge(209, 3207),
    UpdateOffer(301, 3301),
    Question(302, 3303),
    Acknowledge(303, 3304),
    Precautions(304, 3305),
    Acknowledge(305, 3306),
    Acknowledge(306, 3307),
    VersionLine(Acknowledge(307, 3309)),
    Wait(308, 3310),
    Wait(309, 3313),
    Acknowledge(310, 3314),
    Question(311, 3311, 3012),
    Question(312, 3315, 3012),
    Acknowledge(313, 3308),
    Question(314, 3316),
    AllTwelve(Acknowledge(315, 3317)),
    AllTwelve(Acknowledge(316, 3318)),
    AllTwelve(Acknowledge(317, 3319)),
};

}  // namespace

const MessageKindInfo& MessageKind(int kind) {
  static const MessageKindInfo kUnknown{};
  for (const auto& info : kKinds) {
    if (info.kind == kind) return info;
  }
  return kUnknown;
}

}  // namespace cbx

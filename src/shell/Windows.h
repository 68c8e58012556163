#pragma once

#include <memory>

class Dialogs;
class Form;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm12;
class TForm13;
class TForm14;
class TForm15;
class TForm16;
class RestoreWindow;
class InvigilationWindow;
class CalendarWindow;
class SeatingWindow;
class GuideWindow;

// Every window of the program, each created once in a fixed order and kept
// until the end of the run.
class Windows {
public:
    // Every window at once.
    explicit Windows(Dialogs& dialogs);
    // The login window alone, so that it shows at once; the others follow
    // with createRest(), in the same order.
    static std::unique_ptr<Windows> loginFirst(Dialogs& dialogs);
    ~Windows();

    // Creates the windows after the login window, once; later calls do nothing.
    void createRest();

    Dialogs& dialogs;
    std::unique_ptr<TForm13> Form13;
    std::unique_ptr<TForm3> Form3;
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm6> Form6;
    std::unique_ptr<TForm7> Form7;
    std::unique_ptr<TForm8> Form8;
    std::unique_ptr<TForm9> Form9;
    std::unique_ptr<Form> Form10;
    std::unique_ptr<Form> Form11;
    std::unique_ptr<TForm12> Form12;
    std::unique_ptr<TForm14> Form14;
    std::unique_ptr<TForm15> Form15;
    std::unique_ptr<TForm16> Form16;
    // Created like the others; nothing shows or uses them.
    std::unique_ptr<Form> Form17, Form18, Form19, Form20, Form21, Form22;
    // "恢复数据", made after the windows of the original order.
    std::unique_ptr<RestoreWindow> restoreWindow;
    // "监考安排", after the restore window.
    std::unique_ptr<InvigilationWindow> invigilationWindow;
    // "考试日历", after the invigilation window.
    std::unique_ptr<CalendarWindow> calendarWindow;
    // "考场座位与材料", after the calendar.
    std::unique_ptr<SeatingWindow> seatingWindow;
    // "使用说明", last.
    std::unique_ptr<GuideWindow> guideWindow;

private:
    struct LoginOnly { };
    Windows(Dialogs& dialogs, LoginOnly);
};

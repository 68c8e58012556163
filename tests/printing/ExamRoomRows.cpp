#include "ExamRoomRows.h"

QString studentNumber(int row)
{
    return QStringLiteral("2023%1").arg(row + 1, 6, 10, QLatin1Char('0'));
}

DataSet examRoomRows(int count)
{
    const QStringList names = {"张伟", "王芳", "李娜", "刘洋", "陈静", "欧阳晓明", "赵磊", "黄丽"};
    const QStringList courses = {"高等数学（上）", "大学英语", "线性代数",
                                 "马克思主义基本原理概论与当代中国社会发展实践研究", "数据结构"};
    const QStringList teachers = {"周建国", "吴敏", "郑海", "孙丽娟"};
    DataSet data;
    data.fields = QStringList{"sjxh", "kcxh", "xh", "xm", "kcdm", "kcmc", "skjs", "kkyx", "bz", "hbk", "js", "kssj"};
    for (int i = 0; i < count; ++i) {
        const int course = i * courses.size() / std::max(count, 1);
        data.rows << QStringList{QString::number(course + 1),
                                 QStringLiteral("K%1").arg(course + 1, 3, 10, QLatin1Char('0')),
                                 studentNumber(i),
                                 names[i % names.size()],
                                 QStringLiteral("C%1").arg(100 + course),
                                 courses[course],
                                 teachers[course % teachers.size()],
                                 "计算机学院",
                                 i % 17 == 3 ? "因病缓考，持医院证明及辅导员签字" : "",
                                 i % 3 == 0 ? "缓考" : "补考",
                                 "教1-101",
                                 "2024-03-02 08:30-10:30"};
    }
    return data;
}

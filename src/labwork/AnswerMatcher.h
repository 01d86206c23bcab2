#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The checking rule of a quiz: a submitted name=value line is right when it equals one of the
// answer lines without regard to letter case. Case folding equates Latin and Cyrillic capitals
// with their small letters, as the case-insensitive comparison of the user's locale does; empty
// answer lines never match. The count of a check and the marks of its review both use it.
class AnswerMatcher final
{
public:
    explicit AnswerMatcher(const QStringList &answers)
    {
        m_accepted.reserve(answers.size());
        for (const QString &answer : answers) {
            if (!answer.isEmpty())
                m_accepted.insert(answer.toCaseFolded());
        }
    }

    bool matches(const QString &submitted) const { return m_accepted.contains(submitted.toCaseFolded()); }

private:
    QSet<QString> m_accepted;
};

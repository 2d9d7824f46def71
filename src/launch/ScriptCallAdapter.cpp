#include "launch/ScriptCallAdapter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

void ScriptCallAdapter::Invoke(int memberId, const ScriptArguments& arguments,
                               ScriptResult* result) {
    if (handler_) {
        handler_(memberId, arguments, result);
    }
}

std::optional<ScriptCall> ReadScriptCall(const std::string& payload, std::string* error) {
    auto fail = [error](const char* why) {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    if (payload.size() > kMaxScriptCallSize) {
        return fail("too long");
    }
    QJsonParseError parseError{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(payload), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        return fail("not a call");
    }
    const QJsonObject call = document.object();
    if (!call.value("adapter").isString() || !call.value("args").isArray()) {
        return fail("not a call");
    }
    ScriptCall read;
    read.key = call.value("key").toString().toStdString();
    read.adapter = call.value("adapter").toString().toStdString();
    for (const QJsonValue& value : call.value("args").toArray()) {
        const QJsonObject argument = value.toObject();
        ScriptArgument entry;
        if (argument.value("text").isString()) {
            entry.isText = true;
            entry.text = argument.value("text").toString().toStdString();
        } else if (argument.value("type").isString()) {
            entry.kind = argument.value("type").toString().toStdString();
            entry.tooLong = argument.value("tooLong").toBool();
        } else {
            return fail("malformed argument");
        }
        read.arguments.push_back(std::move(entry));
    }
    return read;
}

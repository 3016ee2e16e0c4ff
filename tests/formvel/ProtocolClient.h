#pragma once

#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

// What Fiskon's link does on the wire, written out for the tests: one atom per request text, chains
// of 240-byte pieces for long texts (deleted by the sender after the request), reply chains read and
// deleted.
class ProtocolClient {
public:
    ProtocolClient(WindowSystem& system, WindowHandle server) : system_(system), server_(server) {}

    std::int32_t send(int code, std::int32_t lParam, int options = 0) {
        return system_.sendMessage(server_, kFormsMessage, static_cast<std::uint32_t>(code + 256 * options), lParam);
    }
    // A request whose text travels as one atom beside the form id.
    std::int32_t sendText(int code, int formId, const QByteArray& text) {
        const Atom atom = system_.addAtom(text);
        const std::int32_t reply = send(code, makeLong(static_cast<std::uint16_t>(formId), atom));
        if (atom) system_.deleteAtom(atom);
        return reply;
    }
    // A request whose text travels as a chain.
    std::int32_t sendChain(int code, int formId, const QByteArray& text, int options = 0) {
        QList<Atom> atoms;
        Atom next = 0;
        const qsizetype pieces = text.size() / 240 + 1;
        for (qsizetype i = pieces - 1; i >= 0; --i) {
            QByteArray name = text.mid(i * 240, 240);
            if (next != 0) name += '\x01' + QByteArray::number(next);
            next = system_.addAtom(name);
            atoms << next;
        }
        const std::int32_t reply = send(code, makeLong(static_cast<std::uint16_t>(formId), next), options);
        for (Atom atom : atoms)
            if (atom) system_.deleteAtom(atom);
        return reply;
    }
    // Reads and deletes a reply chain.
    QByteArray readReply(std::int32_t reply) {
        QByteArray text;
        Atom current = loWord(static_cast<std::uint32_t>(reply));
        while (current != 0) {
            const QByteArray name = system_.atomName(current, 256);
            system_.deleteAtom(current);
            const qsizetype link = name.lastIndexOf('\x01');
            if (link < 0) {
                text += name;
                break;
            }
            text += name.left(link);
            current = static_cast<Atom>(name.mid(link + 1).toUInt());
        }
        return text;
    }
    int create(const QByteArray& symbol) { return sendText(1, 0, symbol + "\r\n" + symbol + "_fiskon\r\n3\r\n"); }

private:
    WindowSystem& system_;
    WindowHandle server_;
};

#pragma once

// The skin change notification between the skin window and the windows that show a background:
// a process-wide observer hands each change to every registered receiver.

#include <QString>
#include <cstdint>
#include <map>

namespace q840::windows {

// One background choice, passed by value.
struct SkinChangedParam {
    uint8_t isColour = 0;  // 1: use the colour; 0: use the image
    uint32_t colour = 0;   // ARGB, when isColour is 1
    QString image;         // a skin image ("skins/carbon.svg") or a file path, when isColour is 0
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase;

template <typename ReturnT, typename ParamT>
class ObserverImplBase {
public:
    virtual ~ObserverImplBase() = default;
    virtual void AddReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual void RemoveReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual ReturnT Broadcast(ParamT param) = 0;
    virtual ReturnT Notify(ParamT param) = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase {
public:
    virtual ~ReceiverImplBase() = default;
    virtual void AddObserver(ObserverImplBase<ReturnT, ParamT>* observer) = 0;
    virtual void RemoveObserver() = 0;
    virtual ReturnT Receive(ParamT param) = 0;
    virtual ReturnT Respond(ParamT param, ObserverImplBase<ReturnT, ParamT>* observer) = 0;
};

template <typename ReturnT, typename ParamT>
class ObserverImpl : public ObserverImplBase<ReturnT, ParamT> {
public:
    void AddReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) override {
        if (receiver == nullptr) {
            return;
        }
        m_receivers[m_count++] = receiver;
        receiver->AddObserver(this);
    }
    void RemoveReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) override {
        for (auto it = m_receivers.begin(); it != m_receivers.end(); ++it) {
            if (it->second == receiver) {
                m_receivers.erase(it);
                return;
            }
        }
    }
    // Every receiver's Receive, in the order they came; one that goes meanwhile is skipped.
    ReturnT Broadcast(ParamT param) override {
        const auto receivers = m_receivers;
        for (const auto& [number, receiver] : receivers) {
            if (m_receivers.count(number) != 0) {
                receiver->Receive(param);
            }
        }
        return ReturnT();
    }
    ReturnT Notify(ParamT param) override {
        const auto receivers = m_receivers;
        for (const auto& [number, receiver] : receivers) {
            if (m_receivers.count(number) != 0) {
                receiver->Respond(param, this);
            }
        }
        return ReturnT();
    }
    size_t ReceiverCount() const { return m_receivers.size(); }

private:
    std::map<int, ReceiverImplBase<ReturnT, ParamT>*> m_receivers;
    int m_count = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl : public ReceiverImplBase<ReturnT, ParamT> {
public:
    // A receiver that goes leaves its observers, so that no broadcast reaches it afterwards.
    ~ReceiverImpl() override { RemoveObserver(); }
    void AddObserver(ObserverImplBase<ReturnT, ParamT>* observer) override {
        m_observers[m_count++] = observer;
    }
    void RemoveObserver() override {
        const auto observers = m_observers;
        m_observers.clear();
        for (const auto& [number, observer] : observers) {
            observer->RemoveReceiver(this);
        }
    }
    ReturnT Receive(ParamT) override { return ReturnT(); }
    ReturnT Respond(ParamT, ObserverImplBase<ReturnT, ParamT>*) override { return ReturnT(); }

private:
    std::map<int, ObserverImplBase<ReturnT, ParamT>*> m_observers;
    int m_count = 0;
};

// The process's one observer of skin changes (made on first use, never destroyed).
ObserverImpl<int, SkinChangedParam>& SkinObserver();

}  // namespace q840::windows

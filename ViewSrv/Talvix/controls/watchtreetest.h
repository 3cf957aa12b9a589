// For the tests of the watch and locals trees: the tree in a pop-up of its own with the
// scripted debug server and the symbol server double behind it, and what its rows show.
#pragma once

#include "watchtesting.h"

#include <drawingchecks.h>
#include <testing/controlcapture.h>
#include <testing/drawingfixture.h>

#include <gtest/gtest.h>

#include <memory>

// The tree in a pop-up of its own, on the scripted debug server and the symbol server
// double; afterwards nothing is left of what the test made.
class Popup : public CWnd {
public:
    BOOL Make(int width, int height)
    {
        return CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr);
    }
};

inline void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

template <class Tree>
class WatchTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        baseline_ = QelGetComAllocCounts();
        objectsAtStart_ = QelGdiLiveObjects();
        palette_ = std::make_unique<QelDistinctPalette>();
        DrawnListBaseC::LoadSharedColors();
        ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&symbols_), S_OK);
        symbols_->AddRef();
        ASSERT_EQ(CComObject<CScriptedDebugServer>::CreateInstance(&server_), S_OK);
        server_->AddRef();
        server_->symbols = static_cast<IQelSymbol *>(symbols_);
        RegisterMapTag pc;
        pc.Name = "PC";
        pc.Number = 7;
        symbols_->Answers().registerMap.Add(pc);
        ASSERT_TRUE(parent_.Make(300, 200));
        ASSERT_TRUE(tree_.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0x00E00000,
                                 CRect(0, 0, 300, 200), &parent_, 4711, nullptr));
        tree_.SetRedraw(TRUE);
        tree_.InitControl();
        ASSERT_EQ(CComObject<CTreeForwarder>::CreateInstance(&forwarder_), S_OK);
        forwarder_->AddRef();
        forwarder_->tree = &tree_;
        ASSERT_TRUE(tree_.InitServer(DebugServer(), nullptr, Forwarder()));
        symbols_->WaitUntilIdle();
        Pump();
    }
    void TearDown() override
    {
        tree_.ReleaseServer();
        for (auto &variable : server_->made)
            EXPECT_EQ(variable->m_dwRef, 1) << "only the debug server's list holds the object";
        tree_.DestroyWindow();
        tree_.ExitControl();
        parent_.DestroyWindow();
        forwarder_->Release();
        server_->Release();
        symbols_->Release();
        DrawnTreeBaseC::DeleteSharedResources();
        palette_.reset();
        DrawnListBaseC::LoadSharedColors();
        EXPECT_EQ(QelGdiLiveObjects(), objectsAtStart_);
        QelComAllocCounts now = QelGetComAllocCounts();
        EXPECT_EQ(now.bstrs, baseline_.bstrs);
        EXPECT_EQ(now.safeArrays, baseline_.safeArrays);
    }

    IUnknown *DebugServer() { return static_cast<IOleCommandTarget *>(server_); }
    IUnknown *Forwarder() { return static_cast<IQelCommonWatch *>(forwarder_); }

    // A variable of the script, shown at the end of the root as the variable code does it.
    CComObject<CScriptedVariable> *Add(const ScriptedVariableScript &script)
    {
        server_->scripts.push_back(script);
        CComPtr<IQelCommVariableObj> object = tree_.NewVariableObject();
        EXPECT_NE(object, nullptr);
        CComObject<CScriptedVariable> *variable = server_->made.back();
        CComBSTR name(script.name.c_str());
        EXPECT_EQ(variable->CreateExpressionVariable(name, Forwarder(), 0), S_OK);
        return variable;
    }
    HTREEITEM ItemOf(CComObject<CScriptedVariable> *variable) { return tree_.ItemOfId(variable->item); }

    // What the rows show, read from the pixels: "NAME|VALUE", a cell drawn red and bold
    // marked with a "*" after it.
    std::vector<std::string> Shown()
    {
        QelPaintPending();
        QelCapturedWindow shot(tree_.m_hWnd);
        std::vector<std::string> rows;
        for (int row = tree_.GetTopIndex(); row < tree_.GetItemCount(); ++row) {
            CRect rect;
            if (!tree_.DrawnListBaseC::GetItemRect(row, &rect, 0) || rect.top >= 200)
                break;
            std::string line;
            for (int column = 0; column < 2; ++column) {
                RECT cell = {tree_.GetColumnLeft(column), rect.top, tree_.GetColumnRight(column), rect.bottom};
                std::string text = shot.Read(cell, tree_.GetTextColor());
                if (text.empty())
                    text = shot.Read(cell, tree_.GetSelTextColor()); // a selected row
                std::string red = shot.Read(cell, RGB(255, 0, 0));
                line += (column == 1 ? "|" : "") + (red.empty() ? text : red + "*");
            }
            rows.push_back(line);
        }
        return rows;
    }

    std::unique_ptr<QelDistinctPalette> palette_;
    QelComAllocCounts baseline_{};
    size_t objectsAtStart_ = 0;
    CComObject<CTestSymbolServer> *symbols_ = nullptr;
    CComObject<CScriptedDebugServer> *server_ = nullptr;
    CComObject<CTreeForwarder> *forwarder_ = nullptr;
    Popup parent_;
    Tree tree_;
};


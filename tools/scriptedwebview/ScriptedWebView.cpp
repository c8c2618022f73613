#include "ScriptedWebView.h"

#include "PageScripts.h"

#include <duktape.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

namespace solen::scripted {

namespace {

// The page's globals, built over the native primitives of `native` and then left without a
// global name for them.
constexpr const char* prelude = R"prelude((function (global, native) {
    var slice = Array.prototype.slice;
    function text(value) { return value === undefined ? '' : String(value); }
    global.window = global;
    global.self = global;
    global.navigator = { userAgent: native.userAgent };
    function log() { native.log(slice.call(arguments).map(String).join(' ')); }
    global.console = { log: log, info: log, warn: log, error: log, debug: log };
    var handlers = {};
    native.handlerNames.forEach(function (name) {
        handlers[name] = {
            postMessage: function (body) {
                var json = JSON.stringify(body);
                native.post(name, json === undefined ? 'null' : json);
            }
        };
    });
    global.webkit = { messageHandlers: handlers };
    var location = {
        assign: function (url) { native.navigate(text(url)); },
        replace: function (url) { native.navigate(text(url)); },
        reload: function () { native.navigate(native.url); },
        toString: function () { return native.url; }
    };
    Object.defineProperty(location, 'href', {
        get: function () { return native.url; },
        set: function (url) { native.navigate(text(url)); }
    });
    Object.defineProperty(global, 'location', {
        get: function () { return location; },
        set: function (url) { native.navigate(text(url)); }
    });
    global.open = function (url) { native.open(text(url)); return null; };
    global.alert = function (message) { native.alert(text(message)); };
    global.confirm = function (message) { return native.confirm(text(message)); };
    global.prompt = function (message, defaultText) { return native.prompt(text(message), text(defaultText)); };
    var timers = {}, nextTimer = 0;
    function addTimer(callback, delay, repeats, args) {
        if (typeof callback !== 'function') {
            var code = String(callback);
            callback = function () { (0, eval)(code); };
        }
        nextTimer += 1;
        timers[nextTimer] = { callback: callback, args: args, repeats: repeats };
        native.setTimer(nextTimer, Number(delay) || 0, repeats);
        return nextTimer;
    }
    function clearTimer(identifier) {
        if (timers[identifier]) {
            delete timers[identifier];
            native.clearTimer(identifier);
        }
    }
    global.setTimeout = function (callback, delay) { return addTimer(callback, delay, false, slice.call(arguments, 2)); };
    global.setInterval = function (callback, delay) { return addTimer(callback, delay, true, slice.call(arguments, 2)); };
    global.clearTimeout = clearTimer;
    global.clearInterval = clearTimer;
    native.fire = function (identifier) {
        var timer = timers[identifier];
        if (!timer) {
            return;
        }
        if (!timer.repeats) {
            delete timers[identifier];
        }
        timer.callback.apply(global, timer.args);
    };
}(this, __solen));
delete this.__solen;
)prelude";

// Every block comes with a header recording its size, so that the heap's total is known and
// capped.
struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
};

}  // namespace

struct ScriptedWebView::Document {
    explicit Document(ScriptedWebView& view);
    ~Document() {
        if (context) {
            duk_destroy_heap(context);
        }
    }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    static void* allocate(void* udata, duk_size_t size);
    static void* reallocate(void* udata, void* pointer, duk_size_t size);
    static void release(void* udata, void* pointer);
    [[noreturn]] static void fatal(void*, const char* message);

    duk_context* context = nullptr;
    std::size_t allocated = 0;
    // While a script of the document runs: when it is stopped.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    struct Timer {
        std::uint64_t identifier;  // the main-loop timer
        bool repeats;
    };
    std::map<double, Timer> timers;  // by the page's timer number
};

void* ScriptedWebView::Document::allocate(void* udata, duk_size_t size) { return reallocate(udata, nullptr, size); }

void* ScriptedWebView::Document::reallocate(void* udata, void* pointer, duk_size_t size) {
    auto& document = *static_cast<Document*>(udata);
    BlockHeader* header = pointer ? static_cast<BlockHeader*>(pointer) - 1 : nullptr;
    const std::size_t previous = header ? header->size : 0;
    if (size == 0) {
        release(udata, pointer);
        return nullptr;
    }
    if (size > heapLimitBytes || document.allocated - previous + size > heapLimitBytes) {
        return nullptr;  // the engine throws a RangeError in the page
    }
    auto* moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + size));
    if (!moved) {
        return nullptr;
    }
    moved->size = size;
    document.allocated = document.allocated - previous + size;
    return moved + 1;
}

void ScriptedWebView::Document::release(void* udata, void* pointer) {
    if (!pointer) {
        return;
    }
    auto& document = *static_cast<Document*>(udata);
    BlockHeader* header = static_cast<BlockHeader*>(pointer) - 1;
    document.allocated -= header->size;
    std::free(header);
}

void ScriptedWebView::Document::fatal(void*, const char* message) {
    // Reached only by an error outside a protected call, which this view never makes.
    std::fprintf(stderr, "ScriptedWebView: fatal script engine error: %s\n", message ? message : "");
    std::abort();
}

// One run of page code in a document, from the engine's entry to its return (native calls of the
// page included): the outermost run of the document sets its deadline. Documents replaced while
// one of their scripts runs are released once no script runs.
class ScriptedWebView::Run {
public:
    Run(ScriptedWebView& view, Document& document) : view_(view), document_(document) {
        ++view_.running_;
        if (!document_.deadline) {
            document_.deadline = std::chrono::steady_clock::now() + scriptTimeLimit;
            setsDeadline_ = true;
        }
    }
    ~Run() {
        if (setsDeadline_) {
            document_.deadline.reset();
        }
        if (--view_.running_ == 0) {
            view_.retired_.clear();
        }
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

private:
    ScriptedWebView& view_;
    Document& document_;
    bool setsDeadline_ = false;
};

// The native primitives behind the prelude. Each finds its view in the heap stash and holds it
// for the length of the call, since a delegate it reaches may release the view.
struct Bindings {
    static ScriptedWebView& view(duk_context* context) {
        duk_push_heap_stash(context);
        duk_get_prop_string(context, -1, "view");
        auto* view = static_cast<ScriptedWebView*>(duk_get_pointer(context, -1));
        duk_pop_2(context);
        return *view;
    }
    static std::string argument(duk_context* context, duk_idx_t index) {
        duk_size_t length = 0;
        const char* text = duk_safe_to_lstring(context, index, &length);
        return std::string(text, length);
    }
    static std::shared_ptr<platform::View> keep(ScriptedWebView& view) { return view.shared_from_this(); }

    static duk_ret_t log(duk_context* context) {
        ScriptedWebView& self = view(context);
        const std::string line = argument(context, 0);
        self.consoleMessages_.push_back(line);
        if (self.consoleObserver_) self.consoleObserver_(line);
        return 0;
    }
    static duk_ret_t post(duk_context* context) {
        ScriptedWebView& self = view(context);
        const auto held = keep(self);
        nlohmann::ordered_json body = nlohmann::ordered_json::parse(argument(context, 1), nullptr, false);
        if (!body.is_discarded()) {
            self.pagePostMessage(argument(context, 0), std::move(body));
        }
        return 0;
    }
    static duk_ret_t navigate(duk_context* context) {
        ScriptedWebView& self = view(context);
        const auto held = keep(self);
        self.pageNavigate(argument(context, 0), platform::NavigationType::other);
        return 0;
    }
    static duk_ret_t open(duk_context* context) {
        ScriptedWebView& self = view(context);
        const auto held = keep(self);
        self.pageOpenWindow(argument(context, 0));
        return 0;
    }
    static duk_ret_t alert(duk_context* context) {
        ScriptedWebView& self = view(context);
        const auto held = keep(self);
        self.pageAlert(argument(context, 0), [] {});
        return 0;
    }
    static duk_ret_t confirm(duk_context* context) {
        ScriptedWebView& self = view(context);
        const auto held = keep(self);
        auto answer = std::make_shared<bool>(false);
        self.pageConfirm(argument(context, 0), [answer](bool given) { *answer = given; });
        duk_push_boolean(context, *answer);
        return 1;
    }
    static duk_ret_t prompt(duk_context* context) {
        ScriptedWebView& self = view(context);
        const auto held = keep(self);
        auto answer = std::make_shared<std::optional<std::string>>();
        self.pagePrompt(argument(context, 0), argument(context, 1),
                        [answer](std::optional<std::string> given) { *answer = std::move(given); });
        if (*answer) {
            duk_push_lstring(context, (*answer)->data(), (*answer)->size());
        } else {
            duk_push_null(context);
        }
        return 1;
    }
    static duk_ret_t setTimer(duk_context* context) {
        ScriptedWebView& self = view(context);
        const double identifier = duk_to_number(context, 0);
        const double delay = duk_to_number(context, 1);
        const bool repeats = duk_to_boolean(context, 2);
        // The base class runs the block only while the view lives, and drops it with the document.
        const std::uint64_t timer = self.scheduleTimer(delay, repeats, [&self, identifier] { self.fireTimer(identifier); });
        self.document_->timers[identifier] = {timer, repeats};
        return 0;
    }
    static duk_ret_t clearTimer(duk_context* context) {
        ScriptedWebView& self = view(context);
        const double identifier = duk_to_number(context, 0);
        const auto found = self.document_->timers.find(identifier);
        if (found != self.document_->timers.end()) {
            self.cancelTimer(found->second.identifier);
            self.document_->timers.erase(found);
        }
        return 0;
    }

    static void put(duk_context* context, const char* name, duk_c_function function, duk_idx_t arguments) {
        duk_push_c_function(context, function, arguments);
        duk_put_prop_string(context, -2, name);
    }
};

ScriptedWebView::Document::Document(ScriptedWebView& view) {
    context = duk_create_heap(allocate, reallocate, release, this, fatal);
    if (!context) {
        return;
    }
    duk_push_heap_stash(context);
    duk_push_pointer(context, &view);
    duk_put_prop_string(context, -2, "view");
    duk_pop(context);
}

std::shared_ptr<ScriptedWebView> ScriptedWebView::create(platform::Rect frame, platform::WebViewConfiguration configuration) {
    return std::make_shared<ScriptedWebView>(frame, std::move(configuration));
}

platform::WebViewFactory::Maker ScriptedWebView::maker() {
    return [](platform::Rect frame, platform::WebViewConfiguration configuration) -> std::shared_ptr<platform::WebView> {
        return create(frame, std::move(configuration));
    };
}

ScriptedWebView::ScriptedWebView(platform::Rect frame, platform::WebViewConfiguration configuration)
    : WebView(frame, std::move(configuration)) {}

ScriptedWebView::~ScriptedWebView() = default;

std::size_t ScriptedWebView::heapBytes() const { return document_ ? document_->allocated : 0; }

void ScriptedWebView::replaceDocument(const std::string& url) {
    cancelAllTimers();
    if (document_ && running_ > 0) {
        retired_.push_back(std::move(document_));
    }
    document_ = std::make_unique<Document>(*this);
    duk_context* context = document_->context;
    if (!context) {
        scriptErrors_.push_back("Error: the script engine could not start");
        return;
    }
    duk_push_global_object(context);
    duk_push_object(context);
    Bindings::put(context, "log", Bindings::log, 1);
    Bindings::put(context, "post", Bindings::post, 2);
    Bindings::put(context, "navigate", Bindings::navigate, 1);
    Bindings::put(context, "open", Bindings::open, 1);
    Bindings::put(context, "alert", Bindings::alert, 1);
    Bindings::put(context, "confirm", Bindings::confirm, 1);
    Bindings::put(context, "prompt", Bindings::prompt, 2);
    Bindings::put(context, "setTimer", Bindings::setTimer, 3);
    Bindings::put(context, "clearTimer", Bindings::clearTimer, 1);
    const std::string agent = userAgent();
    duk_push_lstring(context, agent.data(), agent.size());
    duk_put_prop_string(context, -2, "userAgent");
    duk_push_lstring(context, url.data(), url.size());
    duk_put_prop_string(context, -2, "url");
    duk_idx_t names = duk_push_array(context);
    duk_uarridx_t index = 0;
    for (const auto& [name, handler] : configuration().scriptMessageHandlers) {
        duk_push_lstring(context, name.data(), name.size());
        duk_put_prop_index(context, names, index++);
    }
    duk_put_prop_string(context, -2, "handlerNames");
    // The stash keeps the primitives (and the timers' entry point) after the global name goes.
    duk_push_heap_stash(context);
    duk_dup(context, -2);
    duk_put_prop_string(context, -2, "native");
    duk_pop(context);
    duk_put_prop_string(context, -2, "__solen");
    duk_pop(context);
    runPageScript(prelude);
}

ScriptedWebView::Document& ScriptedWebView::currentDocument() {
    if (!document_) {
        replaceDocument(url().value_or("about:blank"));
    }
    return *document_;
}

bool ScriptedWebView::runPageScript(const std::string& source) {
    Document& document = currentDocument();
    duk_context* context = document.context;
    if (!context) {
        return false;
    }
    const Run run(*this, document);
    const bool succeeded = duk_peval_lstring(context, source.data(), source.size()) == 0;
    if (!succeeded) {
        scriptErrors_.push_back(Bindings::argument(context, -1));
    }
    duk_pop(context);
    return succeeded;
}

void ScriptedWebView::documentDidCommit(const std::string& url, const std::optional<std::string>& html) {
    replaceDocument(url);
    const Document* document = document_.get();
    // Copies: a page script may change the configuration (a handler removed) while they run.
    const std::vector<std::string> startScripts = configuration().documentStartScripts;
    for (const std::string& script : startScripts) {
        runPageScript(script);
        if (document_.get() != document) {
            return;
        }
    }
    if (html) {
        for (const std::string& script : inlineScripts(*html)) {
            runPageScript(script);
            if (document_.get() != document) {
                return;
            }
        }
    }
}

void ScriptedWebView::fireTimer(double identifier) {
    const auto held = shared_from_this();
    Document& document = currentDocument();
    duk_context* context = document.context;
    if (!context) {
        return;
    }
    if (const auto found = document.timers.find(identifier); found != document.timers.end() && !found->second.repeats) {
        document.timers.erase(found);
    }
    const Run run(*this, document);
    duk_push_heap_stash(context);
    duk_get_prop_string(context, -1, "native");
    duk_get_prop_string(context, -1, "fire");
    duk_dup(context, -2);
    duk_push_number(context, identifier);
    if (duk_pcall_method(context, 1) != 0) {
        scriptErrors_.push_back(Bindings::argument(context, -1));
    }
    duk_pop_3(context);
}

namespace {

duk_ret_t encodeTop(duk_context* context, void*) {
    duk_json_encode(context, -1);
    return 1;
}

}  // namespace

platform::WebView::ScriptResult ScriptedWebView::runScript(const std::string& script) {
    Document& document = currentDocument();
    duk_context* context = document.context;
    ScriptResult outcome;
    if (!context) {
        outcome.error = platform::Error{errorDomain, javaScriptExceptionOccurredCode, "The script engine could not start",
                                        std::nullopt, std::nullopt, nlohmann::ordered_json::object()};
        return outcome;
    }
    const Run run(*this, document);
    if (duk_peval_lstring(context, script.data(), script.size()) != 0) {
        const std::string message = Bindings::argument(context, -1);
        outcome.error = platform::Error{errorDomain, javaScriptExceptionOccurredCode, "A JavaScript exception occurred",
                                        std::nullopt, std::nullopt, nlohmann::ordered_json{{"message", message}}};
    } else if (duk_safe_call(context, encodeTop, nullptr, 1, 1) == 0 && duk_is_string(context, -1)) {
        duk_size_t length = 0;
        const char* json = duk_get_lstring(context, -1, &length);
        nlohmann::ordered_json value = nlohmann::ordered_json::parse(std::string_view(json, length), nullptr, false);
        if (!value.is_discarded()) {
            outcome.result = std::move(value);
        }
    }
    duk_pop(context);
    return outcome;
}

}  // namespace solen::scripted

// Duktape's execution time-out check (see CMakeLists.txt), asked every 256k or so instructions
// with the heap's document. Once it answers yes, the engine throws a RangeError ("execution
// timeout") that no catch in the page can stop, and it keeps answering yes until the script has
// returned.
extern "C" int solen_scripted_exec_timeout(void* udata) {
    const auto* document = static_cast<const solen::scripted::ScriptedWebView::Document*>(udata);
    return document && document->deadline && std::chrono::steady_clock::now() >= *document->deadline ? 1 : 0;
}

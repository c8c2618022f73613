/*
 * The bridge between an ad's page and the SDK (ECMAScript 5.1).
 *
 * The page calls native code through the native-call objects window.mraidview,
 * window.qoraidview and window.qoaiview. A call is posted to the "nativeMessageHandler" script
 * message handler as {command, scheme, params}, or, without that handler, made by navigating to
 * scheme://command?key=value&... . One call is in flight at a time: the others wait in one shared
 * queue until the SDK evaluates nativeCallComplete, which it does once for every posted call
 * (after the error event when the call failed).
 * The SDK answers with updateKV, broadcastEvent and nativeCallComplete statements; the event
 * objects window.mraid, window.qoraid and window.qoai carry the creative's listeners.
 */
(function (window) {
    if (window.mraidview && window.mraidview.__qoBridge === true) {
        return;
    }

    var slice = Array.prototype.slice;

    function qoIsObjValid(value) {
        return value !== undefined && value !== null;
    }

    function isText(value) {
        return typeof value === 'string';
    }

    function copyOf(value) {
        var result = {}, key;
        if (!qoIsObjValid(value)) {
            return value;
        }
        for (key in value) {
            if (Object.prototype.hasOwnProperty.call(value, key)) {
                result[key] = value[key];
            }
        }
        return result;
    }

    // One event's listeners.
    function EventListeners(event) {
        this.event = event;
        this.count = 0;
        this.listeners = [];
    }
    EventListeners.prototype.add = function (listener) {
        if (typeof listener !== 'function' || this.listeners.indexOf(listener) >= 0) {
            return false;
        }
        this.listeners.push(listener);
        this.count += 1;
        return true;
    };
    EventListeners.prototype.remove = function (listener) {
        var index = this.listeners.indexOf(listener);
        if (index < 0) {
            return false;
        }
        this.listeners.splice(index, 1);
        this.count -= 1;
        return true;
    };
    EventListeners.prototype.removeAll = function () {
        this.listeners = [];
        this.count = 0;
    };
    // A throwing listener does not keep the others from hearing the event.
    EventListeners.prototype.broadcast = function (args) {
        var listeners = this.listeners.slice(), i;
        for (i = 0; i < listeners.length; i += 1) {
            try {
                listeners[i].apply(window, args);
            } catch (ignored) {
            }
        }
    };

    // Events whose first listener starts native listening and whose last one stops it.
    var nativeListeningCommands = {
        micIntensityChange: 'listenMicIntensity',
        deviceMuted: 'listenDeviceMuteEvents',
        deviceVolumeChange: 'listenDeviceVolumeChangeEvents',
        volumeChange: 'listenVolumeChangeEvents',
        headphones: 'listenHeadphonePluggedEvents',
        backButtonPressed: 'listenBackButtonPressed',
        downloadStatusChanged: 'listenDownloadStatus'
    };

    function setNativeListening(event, enabled) {
        var command = nativeListeningCommands[event];
        if (command && window.qoraidview) {
            window.qoraidview.executeNativeCall(command, 'enable', enabled ? 'true' : 'false');
        }
    }

    // The event-carrying objects (window.mraid, window.qoraid, window.qoai). `view` is the
    // native-call object they forward stored values and completions to.
    function QuartoObj(view) {
        this.listeners = {};
        this.view = view;
    }
    QuartoObj.prototype.addEventListener = function (event, listener) {
        var list = this.listeners[event];
        if (!list) {
            list = this.listeners[event] = new EventListeners(event);
        }
        if (list.add(listener) && list.count === 1) {
            setNativeListening(event, true);
        }
    };
    QuartoObj.prototype.removeEventListener = function (event, listener) {
        var list = this.listeners[event], hadListeners;
        if (!list) {
            return;
        }
        hadListeners = list.count > 0;
        if (qoIsObjValid(listener)) {
            list.remove(listener);
        } else {
            list.removeAll();
        }
        if (hadListeners && list.count === 0) {
            setNativeListening(event, false);
        }
    };
    QuartoObj.prototype.broadcastEvent = function (event) {
        var list = this.listeners[event];
        if (list) {
            list.broadcast(slice.call(arguments, 1));
        }
    };
    QuartoObj.prototype.sendSaveContentResult = function (identifier, status, reason) {
        this.broadcastEvent('saveContentResult', identifier, status, reason);
    };
    QuartoObj.prototype.updateKV = function (key, value) {
        return this.view.updateKV(key, value);
    };
    QuartoObj.prototype.nativeCallComplete = function (cmd) {
        return this.view.nativeCallComplete(cmd);
    };

    var __qo__iosNativeMessageHandler;
    try {
        __qo__iosNativeMessageHandler = window.webkit.messageHandlers.nativeMessageHandler;
    } catch (noHandlers) {
        __qo__iosNativeMessageHandler = undefined;
    }
    if (!qoIsObjValid(__qo__iosNativeMessageHandler)) {
        __qo__iosNativeMessageHandler = undefined;
    }

    // The one queue of native calls, shared by every native-call object.
    var __qo__iosNativeCall = {
        nativeCallInFlight: false,
        nativeCallQueue: [],
        // Index of the next queued call: taking from the front of a long queue would move every
        // entry behind it.
        nativeCallQueueHead: 0,
        inFlightCommand: undefined,
        send: function (entry) {
            this.inFlightCommand = entry.command;
            if (__qo__iosNativeMessageHandler) {
                __qo__iosNativeMessageHandler.postMessage(entry.message);
            } else {
                window.location = entry.message;
            }
        },
        executeNativeCall: function (entry) {
            if (this.nativeCallInFlight) {
                this.nativeCallQueue.push(entry);
                return;
            }
            this.nativeCallInFlight = true;
            this.send(entry);
        },
        nativeCallComplete: function () {
            var entry;
            if (this.nativeCallQueueHead === this.nativeCallQueue.length) {
                this.nativeCallQueue = [];
                this.nativeCallQueueHead = 0;
                this.nativeCallInFlight = false;
                this.inFlightCommand = undefined;
                return;
            }
            entry = this.nativeCallQueue[this.nativeCallQueueHead];
            this.nativeCallQueue[this.nativeCallQueueHead] = undefined;
            this.nativeCallQueueHead += 1;
            this.send(entry);
        }
    };

    // The native-call objects (window.mraidview, window.qoraidview, window.qoaiview).
    function IOSNativeCall(urlScheme) {
        this.urlScheme = urlScheme;
        this.broadcastMap = {};
        this.events = undefined;
        this.__qoBridge = true;
    }
    // executeNativeCall(command, key1, value1, key2, value2, ...); pairs without a value are
    // left out.
    IOSNativeCall.prototype.executeNativeCall = function (command) {
        var params = {}, url = this.urlScheme + '://' + command, separator = '?', i, value;
        for (i = 1; i + 1 < arguments.length; i += 2) {
            value = arguments[i + 1];
            if (!qoIsObjValid(value)) {
                continue;
            }
            params[arguments[i]] = String(value);
            url += separator + arguments[i] + '=' + encodeURIComponent(String(value));
            separator = '&';
        }
        __qo__iosNativeCall.executeNativeCall({
            command: command,
            message: __qo__iosNativeMessageHandler ? { command: command, scheme: this.urlScheme, params: params } : url
        });
        return 'OK';
    };
    IOSNativeCall.prototype.nativeCallComplete = function (cmd) {
        __qo__iosNativeCall.nativeCallComplete(cmd);
        return 'OK';
    };
    IOSNativeCall.prototype.updateKV = function (key, value) {
        var event = this.broadcastMap[key];
        this[key] = value;
        if (event) {
            this.broadcastEvent(event, value);
        }
    };
    IOSNativeCall.prototype.broadcastEvent = function (event) {
        if (this.events) {
            this.events.broadcastEvent.apply(this.events, arguments);
        }
    };
    IOSNativeCall.prototype.error = function (message, action) {
        this.broadcastEvent('error', message, action);
    };

    /* window.mraidview: the MRAID state store and its native calls. */
    var mraidview = new IOSNativeCall('mraidview');
    mraidview.viewable = false;
    mraidview.state = 'loading';
    mraidview.placement = 'inline';
    mraidview.supportedFeatures = [];
    mraidview.resizeProperties = null;
    mraidview.expandProperties = {
        width: 0, height: 0, useCustomClose: false, isModal: true, lockOrientation: false, orientation: ''
    };
    mraidview.expandPropertiesSet = false;
    mraidview.orientationProperties = { allowOrientationChange: true, forceOrientation: 'none', direction: 'right' };
    mraidview.broadcastMap = { state: 'stateChange', viewable: 'viewableChange' };
    mraidview.screenSize = { width: 0, height: 0 };
    mraidview.maxSize = { width: 0, height: 0 };
    mraidview.currentPosition = { x: 0, y: 0, width: 0, height: 0 };
    mraidview.defaultPosition = { x: 0, y: 0, width: 0, height: 0 };
    mraidview.shownToUser = false;

    mraidview.updateKV = function (key, value) {
        // The SDK's "ready" state is MRAID's "default".
        if (key === 'state' && value === 'ready') {
            value = 'default';
        }
        IOSNativeCall.prototype.updateKV.call(this, key, value);
    };
    mraidview.close = function () {
        return this.executeNativeCall('close');
    };
    mraidview.expand = function (url) {
        if (qoIsObjValid(url)) {
            if (!isText(url)) {
                return this.error('Invalid url', 'expand');
            }
            return this.executeNativeCall('expand', 'url', url);
        }
        return this.executeNativeCall('expand');
    };
    mraidview.setExpandProperties = function (properties) {
        var stored = copyOf(this.expandProperties), key;
        if (!qoIsObjValid(properties) || typeof properties !== 'object') {
            return this.error('Invalid expand properties', 'setExpandProperties');
        }
        for (key in properties) {
            if (Object.prototype.hasOwnProperty.call(properties, key)) {
                stored[key] = properties[key];
            }
        }
        this.expandProperties = stored;
        this.expandPropertiesSet = true;
        if (qoIsObjValid(properties.lockOrientation) || qoIsObjValid(properties.orientation)) {
            this.setOrientationProperties({
                allowOrientationChange: !properties.lockOrientation,
                forceOrientation: isText(properties.orientation) && properties.orientation !== '' ? properties.orientation : 'none',
                direction: this.orientationProperties.direction
            });
        }
        return this.executeNativeCall('expandprops', 'width', stored.width, 'height', stored.height,
            'close', stored.useCustomClose, 'isModal', stored.isModal);
    };
    mraidview.getExpandProperties = function () {
        var properties = copyOf(this.expandProperties);
        if (!this.expandPropertiesSet) {
            properties.width = this.screenSize.width;
            properties.height = this.screenSize.height;
        }
        return properties;
    };
    mraidview.setResizeProperties = function (properties) {
        if (!qoIsObjValid(properties) || typeof properties !== 'object') {
            return this.error('Invalid resize properties', 'setResizeProperties');
        }
        this.resizeProperties = copyOf(properties);
        return this.executeNativeCall('resizeprops', 'width', properties.width, 'height', properties.height,
            'customClosePosition', properties.customClosePosition, 'offsetX', properties.offsetX,
            'offsetY', properties.offsetY, 'allowOffscreen', properties.allowOffscreen);
    };
    mraidview.getResizeProperties = function () {
        return copyOf(this.resizeProperties);
    };
    mraidview.setOrientationProperties = function (properties) {
        var stored = copyOf(this.orientationProperties), key;
        if (!qoIsObjValid(properties) || typeof properties !== 'object') {
            return this.error('Invalid orientation properties', 'setOrientationProperties');
        }
        for (key in properties) {
            if (Object.prototype.hasOwnProperty.call(properties, key)) {
                stored[key] = properties[key];
            }
        }
        this.orientationProperties = stored;
        return this.executeNativeCall('orientprops', 'allowOrientationChange', stored.allowOrientationChange,
            'forceOrientation', stored.forceOrientation, 'direction', stored.direction);
    };
    mraidview.getOrientationProperties = function () {
        return copyOf(this.orientationProperties);
    };
    mraidview.useCustomClose = function (useCustomClose) {
        if (typeof useCustomClose !== 'boolean') {
            return this.error('Invalid custom close value', 'useCustomClose');
        }
        this.expandProperties.useCustomClose = useCustomClose;
        return this.executeNativeCall('useCustomClose', 'close', useCustomClose);
    };
    mraidview.open = function (url) {
        if (!isText(url) || url === '') {
            return this.error('Invalid url', 'open');
        }
        return this.executeNativeCall('open', 'url', url);
    };
    mraidview.resize = function () {
        var properties = this.resizeProperties;
        if (!qoIsObjValid(properties)) {
            return this.error('Cannot resize ad without resizeProperties.', 'resize');
        }
        if (typeof properties.width !== 'number' || typeof properties.height !== 'number' ||
                isNaN(properties.width) || isNaN(properties.height)) {
            return this.error('Ad size (' + properties.width + ' x ' + properties.height +
                ') in resizeProperties is not valid.', 'resize');
        }
        return this.executeNativeCall('resize');
    };
    mraidview.playVideo = function (url) {
        if (!isText(url) || url === '') {
            return this.error('Invalid url', 'playVideo');
        }
        return this.executeNativeCall('playVideo', 'url', url);
    };
    mraidview.storePicture = function (url) {
        return this.executeNativeCall('storePicture', 'url', url);
    };
    mraidview.createCalendarEvent = function (parameters) {
        return this.executeNativeCall('createCalendarEvent', 'event', JSON.stringify(parameters));
    };

    /* window.mraid: the MRAID 2.0 interface for creatives. */
    var mraid = new QuartoObj(mraidview);
    mraidview.events = mraid;
    mraid.broadcastEvent = function (event) {
        if (event === 'ready' && mraidview.state === 'loading') {
            mraidview.state = 'default';
        }
        QuartoObj.prototype.broadcastEvent.apply(this, arguments);
    };
    mraid.getVersion = function () { return '2.0'; };
    mraid.getState = function () { return mraidview.state; };
    mraid.getPlacementType = function () { return mraidview.placement; };
    mraid.isViewable = function () { return mraidview.viewable; };
    mraid.getScreenSize = function () { return copyOf(mraidview.screenSize); };
    mraid.getMaxSize = function () { return copyOf(mraidview.maxSize); };
    mraid.getCurrentPosition = function () { return copyOf(mraidview.currentPosition); };
    mraid.getDefaultPosition = function () { return copyOf(mraidview.defaultPosition); };
    mraid.getExpandProperties = function () { return mraidview.getExpandProperties(); };
    mraid.setExpandProperties = function (properties) {
        mraidview.setExpandProperties(properties);
        if (qoIsObjValid(properties) && typeof properties.useCustomClose === 'boolean' && mraidview.state !== 'expanded') {
            mraidview.useCustomClose(properties.useCustomClose);
        }
    };
    mraid.getResizeProperties = function () { return mraidview.getResizeProperties(); };
    mraid.setResizeProperties = function (properties) { mraidview.setResizeProperties(properties); };
    mraid.resize = function () { mraidview.resize(); };
    mraid.getOrientationProperties = function () { return mraidview.getOrientationProperties(); };
    mraid.setOrientationProperties = function (properties) { mraidview.setOrientationProperties(properties); };
    mraid.expand = function (url) { mraidview.expand(url); };
    mraid.close = function () { mraidview.close(); };
    mraid.useCustomClose = function (useCustomClose) { mraidview.useCustomClose(useCustomClose); };
    mraid.playVideo = function (url) { mraidview.playVideo(url); };
    mraid.open = function (url) {
        if (!isText(url)) {
            return mraid.broadcastEvent('error', 'URL is required.', 'open');
        }
        mraidview.open(url);
    };
    mraid.storePicture = function (url) {
        if (!isText(url)) {
            return mraid.broadcastEvent('error', 'Request must specify a valid URL', 'storePicture');
        }
        mraidview.storePicture(url);
    };
    mraid.createCalendarEvent = function () {
        mraid.broadcastEvent('error', 'Method not supported', 'createCalendarEvent');
    };
    mraid.supports = function (feature) {
        return mraidview.supportedFeatures.indexOf(feature) >= 0;
    };
    mraid.addEventListener('viewableChange', function (viewable) {
        if (viewable === true) {
            mraidview.shownToUser = true;
        }
    });

    /* window.qoraidview and window.qoraid: device and content extensions. */
    var qoraidview = new IOSNativeCall('qoraidview');
    qoraidview.status = 'loading';
    qoraidview.orientation = -1;
    qoraidview.deviceVolume = 0;
    qoraidview.deviceMuted = false;
    qoraidview.headphones = false;
    qoraidview.micIntensity = 0;
    qoraidview.volumeChange = 0;
    qoraidview.broadcastMap = {
        orientation: 'orientationChange',
        micIntensity: 'micIntensityChange',
        headphones: 'headphones',
        deviceVolume: 'deviceVolumeChange',
        volumeChange: 'volumeChange',
        deviceMuted: 'deviceMuted'
    };
    var qoraid = new QuartoObj(qoraidview);
    qoraidview.events = qoraid;
    qoraid.getVendorName = function () { return 'quarto'; };
    qoraid.getQuartoAIVersion = function () { return '2.0'; };
    qoraid.getStatus = function () { return qoraidview.status; };
    qoraid.getOrientation = function () { return qoraidview.orientation; };
    qoraid.getDeviceVolume = function () { return qoraidview.deviceVolume; };
    qoraid.isDeviceMuted = function () { return qoraidview.deviceMuted; };
    qoraid.isHeadphonesPlugged = function () { return qoraidview.headphones; };
    qoraid.getMicIntensity = function () { return qoraidview.micIntensity; };
    qoraid.setDeviceVolume = function (volume) { return qoraidview.executeNativeCall('setDeviceVolume', 'volume', volume); };
    qoraid.saveContent = function (identifier, url) {
        return qoraidview.executeNativeCall('savecontent', 'id', identifier, 'url', url);
    };
    qoraid.cancelSaveContent = function (identifier) { return qoraidview.executeNativeCall('cancelsavecontent', 'id', identifier); };
    qoraid.asyncPing = function (url) { return qoraidview.executeNativeCall('asyncPing', 'url', url); };
    qoraid.updateToPassbook = function (url) { return qoraidview.executeNativeCall('updateToPassbook', 'url', url); };
    qoraid.postToSocial = function (network, text, url) {
        return qoraidview.executeNativeCall('postToSocial', 'type', network, 'text', text, 'url', url);
    };
    qoraid.showEndCard = function () { return qoraidview.executeNativeCall('showEndCard'); };
    qoraid.loadAd = function (identifier) { return qoraidview.executeNativeCall('loadAd', 'id', identifier); };
    qoraid.showAd = function (identifier) { return qoraidview.executeNativeCall('showAd', 'id', identifier); };

    /* window.qoaiview (also window._qo_qoaiview): logging, opening and ad lifecycle calls. */
    var qoaiview = new IOSNativeCall('qoaiview');
    qoaiview.platform = 'ios';
    qoaiview.version = '1.0';
    qoaiview.log = function (message) { return this.executeNativeCall('log', 'message', message); };
    qoaiview.openEmbedded = function (url) { return this.executeNativeCall('open', 'url', url); };
    qoaiview.openExternal = function (url, fallbackUrl) {
        return this.executeNativeCall('openExternal', 'url', url, 'fallbackUrl', fallbackUrl);
    };
    qoaiview.ping = function (url) { return this.executeNativeCall('ping', 'url', url); };
    qoaiview.pingInWebView = function (url) { return this.executeNativeCall('pingInWebView', 'url', url); };
    qoaiview.onUserInteraction = function () { return this.executeNativeCall('onUserInteraction'); };
    qoaiview.loadSKStore = function (identifier) { return this.executeNativeCall('loadSKStore', 'id', identifier); };
    qoaiview.showSKStore = function (identifier) { return this.executeNativeCall('showSKStore', 'id', identifier); };
    qoaiview.openSKStore = function (identifier) { return this.executeNativeCall('openSKStore', 'id', identifier); };
    qoaiview.fireAdReady = function () { return this.executeNativeCall('fireAdReady'); };
    qoaiview.fireAdFailed = function () { return this.executeNativeCall('fireAdFailed'); };

    /* window.qoai (also window._qo_qoai): click and landing processing for templates. */
    var qoai = new QuartoObj(qoaiview);
    qoaiview.events = qoai;
    qoai.version = '1.0';
    qoai.clickConfig = {};
    qoai.landingConfig = {};
    qoai.setClickConfig = function (config) { qoai.clickConfig = copyOf(config) || {}; };
    qoai.setLandingConfig = function (config) { qoai.landingConfig = copyOf(config) || {}; };
    // Appends the tap coordinates to an http or https URL.
    qoai.processClickUrl = function (url, x, y) {
        if (!isText(url) || !/^https?:\/\//i.test(url)) {
            return url;
        }
        return url + (url.indexOf('?') >= 0 ? '&' : '?') + 'u-tap-o=' + x + ',' + y;
    };
    qoai.click = function (url, x, y) {
        return qoaiview.openEmbedded(qoai.processClickUrl(url, x, y));
    };

    // A page without an initial scale in its viewport gets one (pages without a DOM have none).
    function fixViewport() {
        var document = window.document, tags, tag, content, i;
        if (!document || typeof document.getElementsByTagName !== 'function') {
            return;
        }
        try {
            tags = document.getElementsByTagName('meta');
            for (i = 0; i < tags.length; i += 1) {
                if (tags[i].getAttribute('name') === 'viewport') {
                    tag = tags[i];
                    content = tag.getAttribute('content') || '';
                    if (content === '') {
                        tag.setAttribute('content', 'initial-scale = 1.0');
                    } else if (content.indexOf('initial-scale') < 0) {
                        tag.setAttribute('content', content + ',initial-scale = 1.0');
                    }
                    return;
                }
            }
            tag = document.createElement('meta');
            tag.setAttribute('name', 'viewport');
            tag.setAttribute('content', 'initial-scale=1.0');
            (document.head || document.getElementsByTagName('head')[0]).appendChild(tag);
        } catch (ignored) {
        }
    }
    fixViewport();

    window.mraidview = mraidview;
    window.mraid = mraid;
    window.qoraidview = qoraidview;
    window.qoraid = qoraid;
    window._qo_qoaiview = qoaiview;
    window.qoaiview = qoaiview;
    window._qo_qoai = qoai;
    window.qoai = qoai;
}(this));

#include "server/page/admin_page.h"

namespace {

const char kStyles[] = R"CSS(
body { font-family: Arial, sans-serif; margin: 1em auto; max-width: 60em; padding: 0 1em; }
h1 { font-size: 1.4em; }
section { border-top: 1px solid #ccc; padding: .5em 0 1em; }
section.off, .off { display: none; }
label { display: inline-block; margin: .2em 1em .2em 0; }
textarea { width: 100%; min-height: 6em; font-family: monospace; }
table { border-collapse: collapse; }
td, th { border-bottom: 1px solid #eee; padding: .2em .6em; text-align: left; }
#message { min-height: 1.4em; font-weight: bold; }
#message.bad { color: #a00; }
iframe { width: 100%; height: 14em; border: 1px solid #ccc; }
pre { max-height: 20em; overflow: auto; background: #f6f6f6; padding: .5em; }
)CSS";

const char kScript[] = R"JS(
"use strict";
var key = sessionStorage.getItem("adminKey") || "";
function $(id) { return document.getElementById(id); }
function say(text, bad) { var m = $("message"); m.textContent = text; m.className = bad ? "bad" : ""; }
function call(method, path, body) {
  var options = { method: method, headers: { "Authorization": "Bearer " + key } };
  if (body !== undefined) {
    options.headers["Content-Type"] = "application/json";
    options.body = JSON.stringify(body);
  }
  return fetch(path, options).then(function (reply) {
    if (reply.status === 401) { forget(); throw new Error("The key was not right."); }
    if (reply.status === 429) throw new Error("Too many wrong keys: wait a minute.");
    var type = reply.headers.get("Content-Type") || "";
    if (type.indexOf("json") < 0) return reply.text().then(function (text) {
      if (!reply.ok) throw new Error(text);
      return text;
    });
    return reply.json().then(function (json) {
      if (!reply.ok) throw new Error(json.error || ("Refused: " + reply.status));
      return json;
    });
  });
}
function forget() { key = ""; sessionStorage.removeItem("adminKey"); show(false); }
function show(signed) { $("signin").className = signed ? "off" : ""; $("admin").className = signed ? "" : "off"; }
function cell(row, text) { var td = document.createElement("td"); td.textContent = text; row.appendChild(td); return td; }
function button(text, action) {
  var b = document.createElement("button"); b.type = "button"; b.textContent = text;
  b.addEventListener("click", action); return b;
}
function edit(body, done) {
  call("POST", "/admin/members", body).then(function () { say(done); members(); status(); })
    .catch(function (e) { say(e.message, true); });
}
function members() {
  fetch("/board.json").then(function (r) { return r.json(); }).then(function (board) {
    var rows = $("members"); rows.textContent = "";
    board.members.forEach(function (m) {
      var row = document.createElement("tr");
      cell(row, m.name); cell(row, m["in"] ? "in" : "out"); cell(row, m.time);
      cell(row, m["in"] ? "" : m.destination);
      var actions = cell(row, "");
      actions.appendChild(button(m["in"] ? "Sign out" : "Sign in", function () {
        edit(m["in"] ? { out: m.name, destination: "", "return": "" } : { "in": m.name },
             m.name + (m["in"] ? " is out." : " is in."));
      }));
      actions.appendChild(button("Rename", function () {
        var to = prompt("New name for " + m.name, m.name);
        if (to !== null) edit({ rename: m.name, to: to }, m.name + " is now " + to + ".");
      }));
      actions.appendChild(button("Delete", function () {
        if (confirm("Delete user: " + m.name)) edit({ "delete": m.name }, m.name + " is deleted.");
      }));
      rows.appendChild(row);
    });
  });
}
function status() {
  call("GET", "/admin/status").then(function (s) {
    $("status").textContent = s.status || "(nothing to report)";
    $("facts").textContent = "Version " + s.version + ", " + (s.service ? "running as a service" :
      "running on a desktop") + ", " + s.members + " members, " + s.connections + " connections.";
  }).catch(function (e) { say(e.message, true); });
}
function settings() {
  call("GET", "/admin/settings").then(function (s) {
    $("header").value = s.Header; $("footer").value = s.Footer; $("history").checked = s.History === "TRUE";
    $("resetTime").value = s.ResetTime; $("webSignIn").checked = s.WebSignIn === "TRUE";
    $("webHosts").value = s.WebHosts; $("webKeySet").textContent = s.WebKeySet ? "(a key is set)" : "(no key)";
    preview();
  }).catch(function (e) { say(e.message, true); });
}
function preview() {
  $("preview").srcdoc = $("header").value + "<table><tr><td>A member</td><td>in</td></tr></table>" + $("footer").value;
}
function save(body, done) {
  call("POST", "/admin/settings", body).then(function () { say(done); settings(); })
    .catch(function (e) { say(e.message, true); });
}
function start() {
  show(true); members(); status(); settings();
}
$("signin").addEventListener("submit", function (e) {
  e.preventDefault(); key = $("key").value; $("key").value = "";
  call("GET", "/admin/status").then(function () { sessionStorage.setItem("adminKey", key); say(""); start(); })
    .catch(function (err) { say(err.message, true); });
});
$("add").addEventListener("submit", function (e) {
  e.preventDefault(); var name = $("newName").value;
  edit({ add: name }, name + " is added."); $("newName").value = "";
});
$("header").addEventListener("input", preview);
$("footer").addEventListener("input", preview);
$("saveMarkup").addEventListener("click", function () {
  save({ Header: $("header").value, Footer: $("footer").value }, "The header and footer are saved.");
});
$("saveOptions").addEventListener("click", function () {
  var body = { History: $("history").checked, ResetTime: $("resetTime").value,
               WebSignIn: $("webSignIn").checked, WebHosts: $("webHosts").value };
  if ($("webKey").value !== "") body.WebKey = $("webKey").value;
  if ($("clearWebKey").checked) body.WebKey = "";
  save(body, "The board options are saved."); $("webKey").value = ""; $("clearWebKey").checked = false;
});
$("history-form").addEventListener("submit", function (e) {
  e.preventDefault();
  call("GET", "/admin/history?from=" + $("from").value + "&to=" + $("to").value).then(function (csv) {
    $("rows").textContent = csv;
    var link = $("download"); link.href = URL.createObjectURL(new Blob([csv], { type: "text/csv" }));
    link.download = "history-" + $("from").value + "-" + $("to").value + ".csv"; link.className = "";
  }).catch(function (err) { say(err.message, true); });
});
$("signout").addEventListener("click", forget);
if (key) start(); else show(false);
setInterval(function () { if (key) { status(); members(); } }, 15000);
)JS";

std::string MakePage() {
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>Tesmar administration</title>\n<style>";
    page += kStyles;
    page +=
        "</style></head><body>\n<h1>Tesmar administration</h1>\n<p id=\"message\"></p>\n"
        "<form id=\"signin\" class=\"off\"><label>Administration key "
        "<input id=\"key\" type=\"password\" autocomplete=\"current-password\"></label>"
        "<button type=\"submit\">Open</button></form>\n"
        "<div id=\"admin\" class=\"off\">\n"
        "<section><h2>Status</h2><p id=\"status\"></p><p id=\"facts\"></p>"
        "<button id=\"signout\" type=\"button\">Forget the key</button>"
        "<p>The board's pages: <a href=\"/\">the live board</a>, "
        "<a href=\"/?wall=1\">the lobby screen</a>, <a href=\"/rollcall\">the roll call</a> "
        "(for the fire marshals).</p></section>\n"
        "<section><h2>Members</h2><table><thead><tr><th>Name</th><th>In/out</th><th>Time</th>"
        "<th>Where</th><th></th></tr></thead><tbody id=\"members\"></tbody></table>\n"
        "<form id=\"add\"><label>New member <input id=\"newName\" maxlength=\"19\"></label>"
        "<button type=\"submit\">Add</button></form></section>\n"
        "<section><h2>Header and footer</h2><label for=\"header\">Header</label>"
        "<textarea id=\"header\"></textarea><label for=\"footer\">Footer</label>"
        "<textarea id=\"footer\"></textarea><p>Preview:</p>"
        "<iframe id=\"preview\" sandbox title=\"Preview\"></iframe>"
        "<button id=\"saveMarkup\" type=\"button\">Save header and footer</button></section>\n"
        "<section><h2>Board options</h2>"
        "<label><input id=\"history\" type=\"checkbox\"> Keep the history</label>"
        "<label>Daily reset (HH:MM, empty for never) <input id=\"resetTime\" "
        "size=\"5\"></label><br>"
        "<label><input id=\"webSignIn\" type=\"checkbox\"> Members may sign in from a "
        "browser</label>"
        "<label>Its key <input id=\"webKey\" type=\"password\" "
        "autocomplete=\"new-password\"></label>"
        "<span id=\"webKeySet\"></span> <label><input id=\"clearWebKey\" type=\"checkbox\"> no "
        "key</label><br>"
        "<label>More names of this server (separated by %) <input id=\"webHosts\" "
        "size=\"40\"></label><br>"
        "<button id=\"saveOptions\" type=\"button\">Save board options</button></section>\n"
        "<section><h2>History</h2><form id=\"history-form\">"
        "<label>From <input id=\"from\" type=\"date\" required></label>"
        "<label>to <input id=\"to\" type=\"date\" required></label>"
        "<button type=\"submit\">Show</button> <a id=\"download\" class=\"off\">Download</a></form>"
        "<pre id=\"rows\"></pre></section>\n</div>\n<script>";
    page += kScript;
    page += "</script></body></html>\n";
    return page;
}

} // namespace

const char *AdminPageStyles() { return kStyles; }
const char *AdminPageScript() { return kScript; }

const std::string &AdminPage() {
    static const std::string page = MakePage();
    return page;
}

const std::string &AdminOffPage() {
    static const std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<title>Tesmar administration is off</title></head><body>\n"
        "<h1>Administration from a browser is off</h1>\n"
        "<p>To turn it on, set an administration key on the server: in Tesmar's window choose "
        "Edit, Board Options, <b>Administration key&hellip;</b>; or give the package the "
        "property ADMINKEY; or set the registry value AdminKey under "
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\KVT\\Tesmar and restart Tesmar (it keeps only a hash "
        "of the key).</p>\n</body></html>\n";
    return page;
}
